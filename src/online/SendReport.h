// Feedback and usage reports: each goes to the maker's server as one GET of
// "/input.php" whose query carries the text. Reports are queued from any
// thread and sent one after the other by a single worker; nothing about their
// fate comes back (a failed request is dropped after one attempt).
#pragma once

#include <windows.h>

#include <deque>

#include "base/Raii.h"
#include "base/Text.h"
#include "base/Thread.h"

class CSendReport : public CThread<CSendReport> {
public:
    // Starts the worker.
    CSendReport();
    // Stops the worker, waiting for a request in progress (at most the
    // request's time-outs); reports still queued are dropped.
    ~CSendReport() override;

    // Any thread. Queues one report: the message with the sender's e-mail
    // address and phone model, and the running version.
    void QueueReport(const WString& strEmail, const WString& strModel, const WString& strMsg);
    // Any thread. A usage report (the "Model" setting, no e-mail), queued
    // only when the user allowed it with "AllowStats".
    void SendStats(const WString& strText);

    // True once every report queued so far has been tried, false when that
    // has not happened within dwMilliseconds. For callers that want their
    // reports out before they go on (tests, console programs).
    bool WaitUntilIdle(DWORD dwMilliseconds);

    // Worker thread (CThread).
    void Run();

private:
    bool IsStopping() const { return WaitForSingleObject(m_hStop, 0) == WAIT_OBJECT_0; }

    std::deque<WString> m_listUrls;  // first in, first out
    CCriticalSection m_csQueue;      // guards m_listUrls and the events' setting and resetting
    CHandle m_hQueued;   // a URL waits; reset by the worker when it finds none
    CHandle m_hIdle;     // nothing waits and no request is in progress
    CHandle m_hStop;     // ends the worker
    CHandle m_hStopped;  // set by the worker as its last act
};

// The process's one report sender, created (and its worker started) on first use.
CSendReport& GetReportSender();
