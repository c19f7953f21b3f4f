#include "app/InboxUpdate.h"

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

bool CInboxUpdate::LoadOnce(std::string& strError)
{
    if (!m_bLoaded) {
        m_bLoaded = true;
        const CInboxLoad load = LoadInbox(m_strPath, m_inbox);
        m_bLoadFailed = load.result == EInboxLoad::INBOX_FAILED;
        if (m_bLoadFailed)
            m_strLoadError = load.strReport;
        else if (load.result == EInboxLoad::INBOX_DAMAGED)
            m_strLoadNote = load.strReport;
    }
    strError = m_strLoadError;
    return !m_bLoadFailed;
}

CListingResult CInboxUpdate::Take(const std::vector<CListedPdu>& pdus, bool bReportsOnly, int64_t nNow)
{
    CListingResult result;
    std::vector<unsigned> received;   // indexes of the received messages stored
    std::vector<CStatusReport> reports;
    std::vector<unsigned> reportIndexes;
    bool bChanged = false;
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
        if (nType == kTypeSubmit || !pdu.IsReceived() || bReportsOnly)
            continue;
        if (!LoadOnce(result.strError))
            continue;
        const CDeliverSms sms = DecodeDeliverPdu(pdu.strHex);
        m_received.push_back(sms);
        const CInbox::EAdded added = m_inbox.Add(sms);
        result.nNew += added == CInbox::EAdded::ADDED_NEW;
        bChanged = bChanged || added != CInbox::EAdded::ADDED_DUPLICATE;
        received.push_back(pdu.nIndex);
    }
    std::string strSaveError;
    const bool bStored = result.strError.empty() && (!bChanged || SaveInbox(m_strPath, m_inbox, strSaveError));
    if (!strSaveError.empty())
        result.strError = strSaveError;
    if (bStored && m_bDelete)
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

std::string CInboxUpdate::TakeReports(const std::vector<CListedPdu>& pdus, int64_t nNow)
{
    std::vector<CStatusReport> reports;
    for (const CListedPdu& pdu : pdus) {
        if (pdu.bComplete)
            reports.push_back(DecodeStatusReport(pdu.strHex));
    }
    std::vector<WString> matched;
    std::string strError;
    ApplyReports(reports, nNow, matched, strError);
    return strError;
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
