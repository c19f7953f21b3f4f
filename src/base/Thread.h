// The worker-thread template: runs T::Run once on a thread of its own, at the
// priority the caller chooses, says whether that thread is still running,
// and owns the worker's end: a stop request that Run waits on, and the join.
//
// A worker whose Run uses its own members stops in its own destructor
// (Stop, or RequestStop and Join): by the time this template's destructor
// runs, they are gone. The template's destructor joins as a last resort.
#pragma once

#include <windows.h>

#include <atomic>

#include "base/Raii.h"
#include "base/Trace.h"

template <class T>
class CThread {
public:
    CThread() : m_bActive(false), m_hStop(CreateManualEvent()) {}
    virtual ~CThread() { Stop(); }

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

    // Any thread. Sets the event Run waits on (GetStopEvent); a worker that
    // has not started yet leaves Run at once when it does.
    void RequestStop() { SetEvent(m_hStop); }
    // Waits for the thread to end, at most dwLimitMs: true when it has ended
    // (or never started), false when the limit passed first. The thread, not
    // a flag of Run's: the thread still writes the active flag after Run.
    bool Join(DWORD dwLimitMs = INFINITE) const
    {
        return !m_hThread || WaitForSingleObject(m_hThread, dwLimitMs) == WAIT_OBJECT_0;
    }
    // RequestStop, then Join without limit.
    void Stop()
    {
        RequestStop();
        Join();
    }

protected:
    // For Run: the stop request, to wait on beside the worker's own events.
    HANDLE GetStopEvent() const { return m_hStop; }
    bool IsStopRequested() const { return WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0; }

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
        CALL_CATCHING(static_cast<T*>(pThis)->Run());  // a worker that throws ends as if Run returned
        pThis->m_bActive = false;
        return 0;
    }

    CHandle m_hStop;  // manual reset: once requested, every later wait sees it
};
