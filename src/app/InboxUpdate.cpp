#include "app/InboxUpdate.h"

#include <algorithm>

#include "base/ErrorCodes.h"
#include "base/Trace.h"
#include "sms/InboxFile.h"
#include "sms/PduReader.h"
#include "sms/StatusReport.h"
#include "app/ReportStore.h"

namespace {

const int kTypeSubmit = 1;
const int kTypeReport = 2;

} // namespace

CInboxUpdate::CInboxUpdate(const WString& strInboxPath, CListKey& reportsKey, bool bDelete)
    : m_strPath(strInboxPath), m_reportsKey(reportsKey), m_bDelete(bDelete)
{
}

// What was read is kept for the console to print once the file could be
// read, stored or not.
bool CInboxUpdate::Store(const std::vector<CDeliverSms>& received, size_t& nNew, std::string& strError)
{
    size_t nAdded = 0;
    const CInboxChange change = ChangeInbox(
        m_strPath,
        [&](CInbox& inbox) {
            m_received.insert(m_received.end(), received.begin(), received.end());
            bool bChanged = false;
            for (const CDeliverSms& sms : received) {
                const CInbox::EAdded added = inbox.Add(sms);
                nAdded += added == CInbox::EAdded::ADDED_NEW;
                if (added != CInbox::EAdded::ADDED_DUPLICATE)
                    m_addedKeys.push_back(GetPduKey(sms.strHex));
                bChanged = bChanged || added != CInbox::EAdded::ADDED_DUPLICATE;
            }
            return bChanged;
        },
        m_inbox);
    if (!change.strNote.empty() && m_strLoadNote.empty())
        m_strLoadNote = change.strNote;
    if (!change.bStored) {
        strError = change.strError;
        return false;
    }
    nNew = nAdded;
    return true;
}

CListingResult CInboxUpdate::Take(const std::vector<CListedPdu>& pdus, bool bReportsOnly, int64_t nNow)
{
    CListingResult result;
    std::vector<unsigned> received;   // indexes of the received messages
    std::vector<CDeliverSms> decoded;
    std::vector<CStatusReport> reports;
    std::vector<unsigned> reportIndexes;
    for (const CListedPdu& pdu : pdus) {
        // Nothing that was not read whole is stored, so nothing of it is deleted.
        if (!pdu.bComplete)
            continue;
        const int nType = GetListedPduType(pdu.strHex);
        if (nType == kTypeReport) {
            reports.push_back(DecodeStatusReport(pdu.strHex));
            reportIndexes.push_back(pdu.nIndex);
            continue;
        }
        if (nType == kTypeSubmit || !pdu.IsReceived() || m_strPath.empty())
            continue;
        decoded.push_back(DecodeDeliverPdu(pdu.strHex));
        received.push_back(pdu.nIndex);
    }
    const bool bStored = decoded.empty() || Store(decoded, result.nNew, result.strError);
    if (bStored && m_bDelete && !bReportsOnly)
        result.deletes = received;

    std::vector<WString> matched;
    std::string strReportError;
    if (ApplyReports(reports, nNow, matched, strReportError)) {
        for (size_t i = 0; i < reports.size(); ++i) {
            if (!matched[i].empty() && m_bDelete && bStored)
                result.deletes.push_back(reportIndexes[i]);
        }
    } else if (result.strError.empty()) {
        result.strError = strReportError;
    }
    return result;
}

bool CInboxUpdate::TakeReports(const std::vector<CListedPdu>& pdus, int64_t nNow, std::string& strError)
{
    std::vector<CStatusReport> reports;
    for (const CListedPdu& pdu : pdus) {
        if (pdu.bComplete)
            reports.push_back(DecodeStatusReport(pdu.strHex));
    }
    std::vector<WString> matched;
    return ApplyReports(reports, nNow, matched, strError);
}

bool CInboxUpdate::ApplyReports(const std::vector<CStatusReport>& reports, int64_t nNow,
                                std::vector<WString>& matched, std::string& strError)
{
    matched.assign(reports.size(), WString());
    if (reports.empty())
        return true;
    const uint32_t dwError = CReportStore(m_reportsKey).Apply(reports, nNow, matched);
    for (size_t i = 0; i < reports.size(); ++i) {
        if (!reports[i].bDecoded) {
            TRACE_PAIR("A status report that could not be decoded: %s (%s)\n", reports[i].strHex.c_str(),
                       reports[i].strNote.c_str());
            continue;
        }
        m_reports.push_back(reports[i]);
        m_reportKeys.push_back(matched[i]);
    }
    if (dwError == kErrorSuccess)
        return true;
    matched.assign(reports.size(), WString());
    strError = "the delivery reports could not be stored (error " + std::to_string(dwError) + ")";
    return false;
}

std::vector<CReceivedMsg> CInboxUpdate::GetCompleted() const
{
    std::vector<CReceivedMsg> completed;
    for (const CReceivedMsg& msg : m_inbox.GetMessages()) {
        const bool bAdded = std::any_of(msg.parts.begin(), msg.parts.end(), [this](const CReceivedPart& part) {
            return std::find(m_addedKeys.begin(), m_addedKeys.end(), part.strKey) != m_addedKeys.end();
        });
        if (bAdded && msg.IsComplete())
            completed.push_back(msg);
    }
    return completed;
}
