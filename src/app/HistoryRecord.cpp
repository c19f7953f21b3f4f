#include "app/HistoryRecord.h"

#include "sms/Msg.h"

namespace {

// Every element carries one leading character (a space) that keeps an empty
// content in its place.
WString Content(const WString& strElement)
{
    return strElement.empty() ? WString() : strElement.substr(1);
}

} // namespace

WString CHistoryRecord::GetDisplayName() const
{
    return FormatDisplayName(m_strName, m_strNumber);
}

std::vector<CHistoryRecord> HistoryFromList(const std::vector<WString>& aList)
{
    std::vector<CHistoryRecord> records;
    records.reserve(aList.size() / kHistoryRecordElements);
    for (size_t i = 0; i + kHistoryRecordElements <= aList.size(); i += kHistoryRecordElements) {
        CHistoryRecord record;
        record.m_strName = Content(aList[i]);
        record.m_strNumber = Content(aList[i + 1]);
        record.m_strTime = Content(aList[i + 2]);
        record.m_strText = Content(aList[i + 3]);
        records.push_back(std::move(record));
    }
    return records;
}

std::vector<WString> HistoryToList(const CHistoryRecord& record)
{
    return {WSTR(" ") + record.m_strName, WSTR(" ") + record.m_strNumber, WSTR(" ") + record.m_strTime,
            WSTR(" ") + record.m_strText};
}

WString WithCrLf(const WString& strText)
{
    WString str;
    str.reserve(strText.size() + strText.size() / 8);
    for (size_t i = 0; i < strText.size(); ++i) {
        const WChar ch = strText[i];
        if (ch == '\r' || ch == '\n') {
            str += WSTR("\r\n");
            if (ch == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n')
                ++i;
        } else {
            str += ch;
        }
    }
    return str;
}
