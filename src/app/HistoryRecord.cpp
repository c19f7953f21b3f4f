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

namespace {

// The numbers of the text in order, at most nMax of them.
std::vector<int> NumbersOf(const WString& str, size_t nMax)
{
    std::vector<int> numbers;
    bool bInNumber = false;
    for (WChar ch : str) {
        const bool bDigit = ch >= '0' && ch <= '9';
        if (bDigit && !bInNumber) {
            if (numbers.size() == nMax)
                break;
            numbers.push_back(0);
        }
        if (bDigit && numbers.back() < 100000)
            numbers.back() = numbers.back() * 10 + (ch - '0');
        bInNumber = bDigit;
    }
    return numbers;
}

bool HasMark(const WString& strTime, const WString& strMark)
{
    return !strMark.empty() && strTime.find(strMark) != WString::npos;
}

} // namespace

EDateOrder DateOrderOf(const WString& strPicture)
{
    const size_t nDay = strPicture.find('d'), nMonth = strPicture.find('M'), nYear = strPicture.find('y');
    if (nYear < nMonth && nYear < nDay)
        return EDateOrder::YEAR_MONTH_DAY;
    return nMonth < nDay ? EDateOrder::MONTH_DAY_YEAR : EDateOrder::DAY_MONTH_YEAR;
}

bool ParseRecordTime(const WString& strTime, EDateOrder order, const WString& strAm, const WString& strPm,
                     CLocalTime& time)
{
    const std::vector<int> n = NumbersOf(strTime, 6);
    if (n.size() < 5)
        return false;
    switch (order) {
    case EDateOrder::DAY_MONTH_YEAR: time.nDay = n[0], time.nMonth = n[1], time.nYear = n[2]; break;
    case EDateOrder::MONTH_DAY_YEAR: time.nMonth = n[0], time.nDay = n[1], time.nYear = n[2]; break;
    case EDateOrder::YEAR_MONTH_DAY: time.nYear = n[0], time.nMonth = n[1], time.nDay = n[2]; break;
    }
    if (time.nYear < 100)
        time.nYear += 2000;
    time.nHour = n[3];
    time.nMinute = n[4];
    time.nSecond = n.size() > 5 ? n[5] : 0;
    if (HasMark(strTime, strPm) && time.nHour < 12)
        time.nHour += 12;
    else if (HasMark(strTime, strAm) && time.nHour == 12)
        time.nHour = 0;
    return time.nMonth >= 1 && time.nMonth <= 12 && time.nDay >= 1 && time.nDay <= 31 && time.nHour < 24 &&
           time.nMinute < 60 && time.nSecond < 61 && time.nYear >= 1970 && time.nYear < 10000;
}
