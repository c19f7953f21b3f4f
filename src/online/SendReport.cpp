#include "online/SendReport.h"

#include "online/HttpGet.h"
#include "online/ReportUrl.h"
#include "online/ServerUrl.h"
#include "base/Settings.h"
#include "base/Trace.h"
#include "base/Util.h"

CSendReport::CSendReport()
    : m_hQueued(CreateManualEvent()), m_hIdle(CreateManualEvent()), m_hStop(CreateManualEvent()),
      m_hStopped(CreateManualEvent())
{
    SetEvent(m_hIdle);
    Start(THREAD_PRIORITY_NORMAL);
}

CSendReport::~CSendReport()
{
    SetEvent(m_hStop);
    if (!m_hThread)
        return;
    WaitForSingleObject(m_hStopped, INFINITE);
    // The thread itself, which still writes the template's state after Run.
    WaitForSingleObject(m_hThread, INFINITE);
}

void CSendReport::QueueReport(const WString& strEmail, const WString& strModel, const WString& strMsg)
{
    CLock lock(m_csQueue);
    const WString strUrl = MakeReportUrl(GetServerUrl(kReportPath), strEmail, strModel, strMsg, GetVersionText());
    // A plain pair: a reported one would queue a report from within a report.
    TRACE_PAIR("GETting %S\n", strUrl.c_str());
    m_listUrls.push_back(strUrl);
    ResetEvent(m_hIdle);
    SetEvent(m_hQueued);
}

void CSendReport::SendStats(const WString& strText)
{
    if (!GetSettingsKey().Value("AllowStats").ReadBool(false))
        return;
    QueueReport(WString(), GetSettingsKey().Value("Model").ReadString(), strText);
}

bool CSendReport::WaitUntilIdle(DWORD dwMilliseconds)
{
    return WaitForSingleObject(m_hIdle, dwMilliseconds) == WAIT_OBJECT_0;
}

void CSendReport::Run()
{
    m_csQueue.Enter();
    while (!IsStopping()) {
        if (!m_listUrls.empty()) {
            const WString strUrl = m_listUrls.front();
            m_listUrls.pop_front();
            m_csQueue.Leave();
            WString strBody;
            if (HttpGet(strUrl, 0, strBody))
                TRACE_PAIR("GETed %S\n", strUrl.c_str());
        } else {
            ResetEvent(m_hQueued);
            SetEvent(m_hIdle);
            m_csQueue.Leave();
            WaitForEvents(false, INFINITE, m_hQueued.Get(), m_hStop.Get());
        }
        m_csQueue.Enter();
    }
    m_csQueue.Leave();
    SetEvent(m_hStopped);
}

CSendReport& GetReportSender()
{
    static CSendReport sender;
    return sender;
}
