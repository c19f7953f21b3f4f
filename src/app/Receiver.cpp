#include "app/Receiver.h"

#include <algorithm>
#include <ctime>

#include "app/InboxUpdate.h"
#include "base/Trace.h"

void CReceiver::Restart()
{
    m_bStart = true;
    m_bSetUp = false;
    m_bListing = true;
    m_announced.clear();  // the listing finds them
}

// A place announced twice (the phone said it again) is read once.
void CReceiver::Take(const std::vector<CAnnounced>& announced)
{
    for (const CAnnounced& one : announced) {
        const bool bQueued = std::any_of(m_announced.begin(), m_announced.end(), [&one](const CAnnounced& other) {
            return other.nIndex == one.nIndex && other.strStorage == one.strStorage;
        });
        if (!bQueued)
            m_announced.push_back(one);
    }
}

void CReceiver::TakeReports(const std::vector<CListedPdu>& reports)
{
    CInboxUpdate update(WString(), m_reportsKey, false);
    std::string strError;
    if (!update.TakeReports(reports, std::time(nullptr), strError))
        m_host.OnReceiveFailure(strError);
    TellReports(update);
}

std::unique_ptr<CModemJob> CReceiver::NextJob(CModemLink& link)
{
    if (m_bStart) {
        m_bStart = false;
        CListenListener& listener = *this;
        return std::make_unique<CListenJob>(link, listener);
    }
    if (m_bListing) {
        m_bListing = false;
        CReadMessagesListener& listener = *this;
        return std::make_unique<CReadMessagesJob>(link, listener);
    }
    if (m_announced.empty())
        return nullptr;
    const CAnnounced announced = m_announced.front();
    m_announced.pop_front();
    CAnnouncedListener& listener = *this;
    return std::make_unique<CReadAnnouncedJob>(link, listener, announced);
}

void CReceiver::SetState(EListening eState, const WString& strPort)
{
    if (eState == m_eState)
        return;
    m_eState = eState;
    m_host.OnListening(eState, strPort);
}

// The session takes the port for lost and opens it again.
void CReceiver::OnFailed(const CSmsException& error)
{
    TRACE_PAIR("Listening failed: expected '%s', received '%s'\n", WideToUtf8(error.m_strExpected).c_str(),
               WideToUtf8(error.m_strReceived).c_str());
}

bool CReceiver::OnAnnouncedRead(const CAnnounced&, const CListedPdu& pdu)
{
    return !Store({pdu}).empty();
}

std::vector<unsigned> CReceiver::Store(const std::vector<CListedPdu>& pdus)
{
    CInboxUpdate update(m_strInboxPath, m_reportsKey, m_bDelete);
    const CListingResult result = update.Take(pdus, false, std::time(nullptr));
    if (!result.strError.empty())
        m_host.OnReceiveFailure(result.strError);
    for (const CReceivedMsg& msg : update.GetCompleted())
        m_host.OnMessageReceived(msg);
    TellReports(update);
    return result.deletes;
}

void CReceiver::TellReports(const CInboxUpdate& update)
{
    for (size_t i = 0; i < update.GetReports().size(); ++i) {
        if (!update.GetReportKeys()[i].empty())
            m_host.OnReportApplied(update.GetReports()[i], update.GetReportKeys()[i]);
    }
}
