// The history as the History window reads it from its list value: whole
// records of four elements, the leading space of each dropped, and the text
// with line breaks an edit shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/HistoryRecord.h"

namespace {

typedef std::vector<std::string> Strings;

// Each record as "display name|time|text".
Strings ReadHistory(const Strings& aElements)
{
    std::vector<WString> aList;
    for (const std::string& str : aElements)
        aList.push_back(Utf8ToWide(str));
    Strings records;
    for (const CHistoryRecord& record : HistoryFromList(aList))
        records.push_back(WideToUtf8(record.GetDisplayName() + WSTR("|") + record.m_strTime + WSTR("|") +
                                     record.m_strText));
    return records;
}

TEST(HistoryRecord, WholeRecordsOldestFirst)
{
    const Strings aTwo = {" ", " 0123", " 1/2/2026 10:00:00", " Hi", " Анна", " +4917", " 2/2/2026 11:00", " a\nb"};
    const Strings aExpected = {"0123|1/2/2026 10:00:00|Hi", "Анна (+4917)|2/2/2026 11:00|a\nb"};
    EXPECT_EQ(ReadHistory(aTwo), aExpected);
    // One to three elements left over after the last whole record are no record.
    for (size_t nExtra = 1; nExtra <= 3; ++nExtra) {
        Strings aList = aTwo;
        aList.insert(aList.end(), aTwo.begin(), aTwo.begin() + static_cast<long>(nExtra));
        EXPECT_EQ(ReadHistory(aList), aExpected) << nExtra;
    }
    EXPECT_EQ(ReadHistory({" a", " 1", " t"}), Strings());
    EXPECT_EQ(ReadHistory({}), Strings());
    // The first character goes whatever it is; an element of one character is empty.
    EXPECT_EQ(ReadHistory({"xBob", "-5", "t", "y"}), Strings({"Bob (5)||"}));
}

TEST(HistoryRecord, EveryLineBreakBecomesCrLf)
{
    const struct {
        const char* pszText;
        const char* pszShown;
    } aCases[] = {
        {"a\r\nb", "a\r\nb"}, {"a\nb", "a\r\nb"},       {"a\rb", "a\r\nb"},       {"\n\n", "\r\n\r\n"},
        {"a\n\r\nb\r", "a\r\n\r\nb\r\n"}, {"\r\r\n", "\r\n\r\n"}, {"no break", "no break"}, {"", ""},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(WideToUtf8(WithCrLf(Utf8ToWide(c.pszText))), c.pszShown) << c.pszText;
}

} // namespace
