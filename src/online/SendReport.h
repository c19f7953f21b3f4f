// Feedback and usage reports: each goes to the maker's server as one GET of
// "/input.php" whose query carries the text. Reports are queued from any
// thread and sent one after the other by a single worker. A usage report is
// tried once; a feedback report is kept (CPendingFeedback) until the server
// accepts it, and tried again at the next starts, by one instance at a time
// (CFeedbackLock).
#pragma once

#include <windows.h>

#include <deque>
#include <vector>

#include "base/Raii.h"
#include "base/Text.h"
#include "online/HttpWorker.h"
#include "online/ReportQueue.h"

class CSendReport : public CHttpWorker<CSendReport> {
public:
    // Starts the worker.
    CSendReport();
    // Stops the worker as Stop(deadline) does, if nobody did. Stop
    // (CHttpWorker) leaves the reports still queued unsent (feedback stays
    // kept for the next start).
    ~CSendReport() override;

    // Any thread. Queues one feedback report: the message with the sender's
    // e-mail address and phone model, and the running version.
    void QueueReport(const WString& strEmail, const WString& strModel, const WString& strMsg);
    // Any thread. A usage report (the "Model" setting, no e-mail), queued
    // only when the user allowed it with "AllowStats".
    void SendStats(const WString& strText);
    // Queues feedback reports kept by earlier starts (CPendingFeedback).
    void QueueKept(const std::vector<CReport>& reports);

    // True once every report queued so far has been tried, false when that
    // has not happened within dwMilliseconds. For callers that want their
    // reports out before they go on (tests, console programs).
    bool WaitUntilIdle(DWORD dwMilliseconds);

    // Worker thread (CThread).
    void Run();

private:
    void Queue(const CReport& report);
    void Send(CReport report);
    // The request and its trace; true when the server accepted the report.
    bool Request(const CReport& report);

    std::deque<CReport> m_queue;  // first in, first out
    CCriticalSection m_csQueue;   // guards m_queue and the events' setting and resetting
    CHandle m_hQueued;   // a report waits; reset by the worker when it finds none
    CHandle m_hIdle;     // nothing waits and no request is in progress
};

// The process's one report sender, created (and its worker started) on first use.
CSendReport& GetReportSender();
// At start: the feedback that earlier starts could not send goes again
// (the report sender is created only when there is some).
void QueuePendingFeedback();
// Stops the report sender as CSendReport::Stop(deadline) does, if it was ever created.
void StopReportSender(ULONGLONG ullDeadline);
