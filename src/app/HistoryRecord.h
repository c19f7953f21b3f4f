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
