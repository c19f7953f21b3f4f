// One message of the history, and its form in the history's list value.
#pragma once

#include <cstddef>
#include <vector>

#include "base/Text.h"

class CHistoryRecord {
public:
    // "Name (number)", or the number alone when the recipient was typed as one.
    WString GetDisplayName() const;

    WString m_strName;    // empty for a recipient typed as a number
    WString m_strNumber;
    WString m_strTime;    // date and time as one text, as they were written
    WString m_strText;    // as typed, line breaks included
};

// A record is four elements of the list value (name, number, time, text),
// each after a leading space, which keeps an empty name in its place.
const size_t kHistoryRecordElements = 4;

// The records of the list, oldest first, each element's leading space
// dropped. Whole records only: elements left over after the last whole
// record are ignored.
std::vector<CHistoryRecord> HistoryFromList(const std::vector<WString>& aList);
// The four elements of one record, each after its leading space.
std::vector<WString> HistoryToList(const CHistoryRecord& record);

// The text with every line break (CR LF, a lone LF, a lone CR) as CR LF, the
// only one a multi-line edit shows as a break.
WString WithCrLf(const WString& strText);

// The order of day, month and year in a short date format.
enum class EDateOrder { DAY_MONTH_YEAR, MONTH_DAY_YEAR, YEAR_MONTH_DAY };
// The order of a short date picture ("dd.MM.yyyy", "M/d/yyyy", "yyyy-MM-dd").
EDateOrder DateOrderOf(const WString& strPicture);
// The local date and time a record's time text names, as the program wrote
// it in the user's short date and time formats: the first three numbers are
// the date in the order given (a two-digit year in 2000-2099), the next two
// or three the time; the afternoon's mark (strPm, "PM") makes an hour below
// 12 one of the afternoon, and the morning's (strAm) makes 12 midnight.
// False when the text holds no such date and time.
struct CLocalTime {
    int nYear = 0, nMonth = 0, nDay = 0, nHour = 0, nMinute = 0, nSecond = 0;
};
bool ParseRecordTime(const WString& strTime, EDateOrder order, const WString& strAm, const WString& strPm,
                     CLocalTime& time);
