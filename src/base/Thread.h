// The worker-thread template: runs T::Run once on a thread of its own, at the
// priority the caller chooses, and says whether that thread is still running.
// Queues, stopping and waiting for the end are each worker's own business.
#pragma once

#include <windows.h>

#include <atomic>

#include "base/Raii.h"
#include "base/Trace.h"

template <class T>
class CThread {
public:
    CThread() : m_bActive(false) {}
    virtual ~CThread() {}

    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // A worker runs once: a second call is refused (and reported) without
    // touching the thread of the first. The thread is created suspended so
    // that the priority is in force before Run starts. False when the thread
    // cannot be created (then Run never runs and the worker stays inactive).
    bool Start(int nPriority)
    {
        if (m_hThread) {
            TraceAssert(__FILE__, __LINE__, m_bActive ? "!m_bActive" : "!m_hThread");
            return false;
        }
        m_bActive = true;
        DWORD dwId = 0;
        m_hThread.Reset(CreateThread(nullptr, 0, &CThread::ThreadProc, this, CREATE_SUSPENDED, &dwId));
        if (!m_hThread) {
            m_bActive = false;
            TRACE_REPORT("CreateThread failed: %lu\n", static_cast<unsigned long>(GetLastError()));
            return false;
        }
        SetThreadPriority(m_hThread, nPriority);
        ResumeThread(m_hThread);
        return true;
    }

    bool IsActive() const { return m_bActive; }

protected:
    CHandle m_hThread;
    // Written by the starting thread and by the worker as its last act.
    std::atomic<bool> m_bActive;

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam)
    {
        CThread* pThis = static_cast<CThread*>(pParam);
        ZASSERT(pThis);
        if (!pThis)
            return 0;
        static_cast<T*>(pThis)->Run();
        pThis->m_bActive = false;
        return 0;
    }
};
