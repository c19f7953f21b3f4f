// A worker whose requests go through an abort of its own (the update check,
// the report sender): at exit, a request in progress gets until a deadline
// to end, and is then aborted, so that no server holds the process.
#pragma once

#include <windows.h>

#include "base/Thread.h"
#include "online/HttpGet.h"

template <class T>
class CHttpWorker : public CThread<T> {
public:
    using CThread<T>::Stop;

    // Requests the stop and waits for the thread until ullDeadline (a
    // GetTickCount64 time); then aborts its request and waits for the
    // thread, which no request holds any longer.
    void Stop(ULONGLONG ullDeadline)
    {
        this->RequestStop();
        const ULONGLONG ullNow = GetTickCount64();
        if (this->Join(ullDeadline > ullNow ? static_cast<DWORD>(ullDeadline - ullNow) : 0))
            return;
        m_abort.Abort();
        this->Join();
    }

protected:
    CHttpAbort m_abort;  // Run passes it to every HttpGet
};
