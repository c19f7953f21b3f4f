// One message of the history as the list value "NewHistory" keeps it, and
// the reading of that value into records.
#pragma once

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

// The records of "NewHistory", oldest first: four elements a record (name,
// number, time, text), each after a leading space that is dropped. Whole
// records only: elements left over after the last whole record are ignored.
std::vector<CHistoryRecord> HistoryFromList(const std::vector<WString>& aList);

// The text with every line break (CR LF, a lone LF, a lone CR) as CR LF, the
// only one a multi-line edit shows as a break.
WString WithCrLf(const WString& strText);
