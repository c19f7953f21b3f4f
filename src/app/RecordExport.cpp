#include "app/RecordExport.h"

#include <cstdio>

#include "app/CsvWriter.h"
#include "app/InboxList.h"
#include "app/ReportStore.h"
#include "app/TextSearch.h"

namespace {

const std::vector<WString> kHeader = {WSTR("Time"), WSTR("Number"), WSTR("Name"), WSTR("State"), WSTR("Text")};

} // namespace

WString GetLocalZoneText(std::time_t now)
{
    // The local time read as if it were UTC, less the time itself.
    std::tm local = *std::localtime(&now);
    std::tm utc = *std::gmtime(&now);
    utc.tm_isdst = local.tm_isdst;
    const long nSeconds = static_cast<long>(std::difftime(std::mktime(&local), std::mktime(&utc)));
    const long nMinutes = (nSeconds < 0 ? -nSeconds : nSeconds) / 60;
    char sz[48];
    std::snprintf(sz, sizeof(sz), "%c%02ld:%02ld", nSeconds < 0 ? '-' : '+', nMinutes / 60, nMinutes % 60);
    return AnsiToWide(sz);
}

std::string FormatHistoryCsv(const std::vector<CHistoryRecord>& records,
                             const std::map<WString, std::vector<CSentPart>>& reports, const WString& strZone,
                             WChar chSeparator)
{
    CCsvWriter csv(chSeparator);
    csv.AddRow(kHeader);
    for (const CHistoryRecord& record : records) {
        const WString strState =
            DescribeRecordDelivery(reports, GetDeliveryKey(record.m_strNumber, record.m_strTime, record.m_strText));
        csv.AddRow({record.m_strTime + WSTR(" ") + strZone, record.m_strNumber, record.m_strName, strState,
                    record.m_strText});
    }
    return csv.GetText();
}

std::string FormatInboxCsv(const std::vector<CReceivedMsg>& messages, const std::vector<CContact>& contacts,
                           WChar chSeparator)
{
    CCsvWriter csv(chSeparator);
    csv.AddRow(kHeader);
    for (const CReceivedMsg& msg : messages) {
        const WString strName = CInboxList::GetSenderName(msg.strSender, contacts);
        csv.AddRow({CInboxList::GetTimeText(msg.time), msg.strSender, strName == msg.strSender ? WString() : strName,
                    WSTR("received"), msg.GetText()});
    }
    return csv.GetText();
}

namespace {

WString FormatUtcTime(int64_t nTime)
{
    const std::time_t t = static_cast<std::time_t>(nTime);
    const std::tm* pUtc = std::gmtime(&t);
    if (!pUtc)
        return WString();
    char sz[48];
    std::snprintf(sz, sizeof(sz), "%04d-%02d-%02d %02d:%02d:%02d+00:00", pUtc->tm_year + 1900, pUtc->tm_mon + 1,
                  pUtc->tm_mday, pUtc->tm_hour, pUtc->tm_min, pUtc->tm_sec);
    return AnsiToWide(sz);
}

} // namespace

std::string FormatConversationCsv(const CConversation& thread, WChar chSeparator)
{
    CCsvWriter csv(chSeparator);
    csv.AddRow(kHeader);
    for (const CConversationMsg& msg : thread.messages) {
        csv.AddRow({msg.nTime ? FormatUtcTime(msg.nTime) : msg.strTime, msg.strNumber, thread.strName,
                    msg.bOut ? DescribeDelivery(msg.delivery) : WString(WSTR("received")), msg.strText});
    }
    return csv.GetText();
}

CSearchFields PrepareHistorySearch(const CHistoryRecord& record)
{
    return PrepareSearch({record.m_strNumber, record.m_strName, record.m_strText});
}

bool InboxMatches(const CReceivedMsg& msg, const std::vector<CContact>& contacts, const WString& strQuery)
{
    return MatchesSearch(strQuery, {msg.strSender, CInboxList::GetSenderName(msg.strSender, contacts), msg.GetText()});
}
