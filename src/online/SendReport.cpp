#include "online/SendReport.h"

#include <atomic>

#include "online/FeedbackLock.h"
#include "online/PendingFeedback.h"
#include "online/ReportUrl.h"
#include "online/ServerUrl.h"
#include "base/AppSettings.h"
#include "base/Settings.h"
#include "base/Trace.h"
#include "base/Util.h"

namespace {

std::atomic<CSendReport*> g_pSender(nullptr);

} // namespace

CSendReport::CSendReport() : m_hQueued(CreateManualEvent()), m_hIdle(CreateManualEvent())
{
    SetEvent(m_hIdle);
    Start(THREAD_PRIORITY_NORMAL);
}

CSendReport::~CSendReport()
{
    Stop(GetTickCount64() + kHttpExitWaitMs);
    CSendReport* pThis = this;
    g_pSender.compare_exchange_strong(pThis, nullptr);
}

void CSendReport::QueueReport(const WString& strEmail, const WString& strModel, const WString& strMsg)
{
    CReport report;
    report.strQuery = MakeReportQuery(strEmail, strModel, strMsg, GetVersionText());
    report.bFeedback = true;
    // A plain pair: a reported one would queue a report from within a report.
    // The endpoint only: the query holds what the user typed.
    TRACE_PAIR("GETting %S\n", GetServerUrl(kReportPath).c_str());
    // Kept before the worker can see it, so that nothing the user typed is
    // lost, whenever the program ends.
    report.bKept = CPendingFeedback::Keep(report);
    Queue(report);
}

void CSendReport::SendStats(const WString& strText)
{
    if (!CAppSettings().Read(EFlag::ALLOW_STATS))
        return;
    CReport report;
    report.strQuery = MakeReportQuery(WString(), CAppSettings().Read(ETextSetting::MODEL), strText,
                                      GetVersionText());
    TRACE_PAIR("GETting %S\n", GetServerUrl(kReportPath).c_str());
    Queue(report);
}

void CSendReport::QueueKept(const std::vector<CReport>& reports)
{
    for (const CReport& report : reports)
        Queue(report);
}

void CSendReport::Queue(const CReport& report)
{
    CLock lock(m_csQueue);
    PushReport(m_queue, report);
    ResetEvent(m_hIdle);
    SetEvent(m_hQueued);
}

bool CSendReport::WaitUntilIdle(DWORD dwMilliseconds)
{
    return WaitForSingleObject(m_hIdle, dwMilliseconds) == WAIT_OBJECT_0;
}

void CSendReport::Run()
{
    m_csQueue.Enter();
    while (!IsStopRequested()) {
        if (!m_queue.empty()) {
            const CReport report = m_queue.front();
            m_queue.pop_front();
            m_csQueue.Leave();
            Send(report);
        } else {
            ResetEvent(m_hQueued);
            SetEvent(m_hIdle);
            m_csQueue.Leave();
            WaitForEvents(false, INFINITE, m_hQueued.Get(), GetStopEvent());
        }
        m_csQueue.Enter();
    }
    m_csQueue.Leave();
}

bool CSendReport::Request(const CReport& report)
{
    const WString strEndpoint = GetServerUrl(kReportPath);
    WString strBody;
    DWORD dwStatus = 0;
    const bool bSent =
        HttpGet(MakeReportUrl(strEndpoint, report.strQuery), 0, strBody, dwStatus, &m_abort) && IsHttpSuccess(dwStatus);
    if (bSent)
        TRACE_PAIR("GETed %S\n", strEndpoint.c_str());
    else
        TRACE_PAIR("GET failed (status %lu): %S\n", static_cast<unsigned long>(dwStatus), strEndpoint.c_str());
    return bSent;
}

// A kept feedback report may wait in another instance's queue too: it is
// taken under the lock, and sent only while it is still kept, so the one
// that comes second finds it gone once the server has accepted it. One that
// could not be kept is known to nobody else. A request aborted at exit
// counts as a start that could not send the report.
void CSendReport::Send(CReport report)
{
    if (!report.bFeedback) {
        Request(report);
        return;
    }
    const CFeedbackLock lock(GetStopEvent(), CFeedbackLock::kWaitMs);
    if (report.bKept && (!lock.IsHeld() || !CPendingFeedback::Find(report.strQuery, report)))
        return;
    if (!Request(report) && KeepAfterFailure(report))
        CPendingFeedback::Keep(report);
    else
        CPendingFeedback::Remove(report.strQuery);
}

CSendReport& GetReportSender()
{
    static CSendReport sender;
    g_pSender = &sender;
    return sender;
}

void QueuePendingFeedback()
{
    const std::vector<CReport> reports = CPendingFeedback::Load();
    if (!reports.empty())
        GetReportSender().QueueKept(reports);
}

void StopReportSender(ULONGLONG ullDeadline)
{
    if (CSendReport* pSender = g_pSender.load())
        pSender->Stop(ullDeadline);
}
