// The search boxes of the Contacts, History and Inbox windows: what the user
// types is found in a name, number or text whatever the case and the accents
// of Latin letters, as one types.
#pragma once

#include <vector>

#include "base/Text.h"

// Lower case for Latin, Greek and Cyrillic letters; the accented Latin
// letters of Latin-1 and Latin Extended-A as their base letter ('É' and 'é'
// as 'e', 'Ł' as 'l'); combining accents dropped. Everything else as it is.
WString FoldForSearch(const WString& str);

// Whether the query (blanks at either end dropped) is in one of the fields,
// both folded; an empty query matches everything. A query of digits (with
// '+', blanks, '-', '.', '(' and ')') also matches a field whose digits hold
// its digits, so "0170 123" finds "0170-123456".
bool MatchesSearch(const WString& strQuery, const std::vector<WString>& aFields);

// An item's fields folded once, and their digits, for many queries.
struct CSearchFields {
    std::vector<WString> aFolded;
    std::vector<WString> aDigits;
};
CSearchFields PrepareSearch(const std::vector<WString>& aFields);

// A query read once for many items: MatchesSearch is
// CSearchQuery(strQuery).Matches(PrepareSearch(aFields)).
class CSearchQuery {
public:
    explicit CSearchQuery(const WString& strQuery);

    // It matches everything.
    bool IsEmpty() const { return m_strFolded.empty(); }
    bool Matches(const CSearchFields& fields) const;

private:
    WString m_strFolded;
    WString m_strDigits;  // empty unless the query is a number
};
