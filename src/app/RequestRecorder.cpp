#include "app/RequestRecorder.h"

#include "app/HistoryStore.h"
#include "app/ReportStore.h"
#include "base/ErrorCodes.h"

void CRequestRecorder::KeepHistory(CListKey& historyKey, CDataFolder& archive)
{
    m_pHistoryKey = &historyKey;
    m_pArchive = &archive;
}

void CRequestRecorder::StartInbox(const WString& strInboxPath, bool bDelete)
{
    m_pInbox = std::make_unique<CInboxUpdate>(strInboxPath, m_reportsKey, bDelete);
}

// The parts awaiting reports, and a mark for a message that may not have
// left, are kept by the message's delivery key, which its history record
// finds them by.
std::vector<CStoreFailure> CRequestRecorder::RecordMessage(const CSendRecipient& recipient, const WString& strText,
                                                           bool bReports, bool bNotConfirmed)
{
    std::vector<CStoreFailure> failures;
    const WString strTime = m_fnTimeText();
    if (strTime.empty())
        return failures;
    const WString& strNumber = recipient.contact.m_strNumber;
    const int64_t nNow = std::time(nullptr);
    std::vector<CSentPart> parts;
    for (unsigned nRef : bReports ? recipient.partRefs : std::vector<unsigned>()) {
        CSentPart part;
        part.strNumber = strNumber;
        part.nRef = nRef;
        part.nSentAt = nNow;
        parts.push_back(part);
    }
    if (bNotConfirmed) {
        CSentPart part;
        part.strNumber = strNumber;
        part.nSentAt = nNow;
        part.state = EPartDelivery::PART_UNCONFIRMED;
        parts.push_back(part);
    }
    if (!parts.empty()) {
        const uint32_t dwError = CReportStore(m_reportsKey).Add(GetDeliveryKey(strNumber, strTime, strText), parts);
        if (dwError != kErrorSuccess)
            failures.push_back({WSTR("keep the message references for the delivery reports"), dwError});
    }
    if (!m_pHistoryKey)
        return failures;
    CHistoryRecord record;
    record.m_strName = recipient.contact.m_strName;
    record.m_strNumber = strNumber;
    record.m_strTime = strTime;
    record.m_strText = strText;
    uint32_t dwArchiveError = kErrorSuccess;
    const uint32_t dwError = CHistoryStore(*m_pHistoryKey, *m_pArchive).Append(record, dwArchiveError);
    if (dwError != kErrorSuccess)
        failures.push_back({WSTR("update the history"), dwError});
    else if (dwArchiveError != kErrorSuccess)
        failures.push_back({WSTR("archive the oldest history"), dwArchiveError});
    return failures;
}

CListingResult CRequestRecorder::TakeListing(const std::vector<CListedPdu>& pdus, bool bReportsOnly)
{
    return m_pInbox ? m_pInbox->Take(pdus, bReportsOnly, std::time(nullptr)) : CListingResult();
}

bool CRequestRecorder::TakeReports(const std::vector<CListedPdu>& reports, std::string& strError)
{
    return !m_pInbox || m_pInbox->TakeReports(reports, std::time(nullptr), strError);
}
