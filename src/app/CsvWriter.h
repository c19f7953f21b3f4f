// CSV for a spreadsheet, the one way the program writes it (the contacts,
// the History and the Inbox): UTF-8 with a byte order mark, CR LF, fields
// between the user's list separator, and no field a spreadsheet would run
// as a formula. A received SMS, an alphanumeric sender or a phone-book name
// is anyone's text: "=HYPERLINK(...)" in a cell would be evaluated when the
// file is opened.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"

const char kUtf8Bom[] = "\xEF\xBB\xBF";

class CCsvWriter {
public:
    // ',' or ';' (GetListSeparator: ';' where the locale writes a decimal comma).
    explicit CCsvWriter(WChar chSeparator);

    // One line: a field that holds the separator, a quote, a line break, a
    // tab or blanks at an end is quoted, its quotes doubled; every field is
    // defused first.
    void AddRow(const std::vector<WString>& aFields);
    const std::string& GetText() const { return m_strText; }

    // A field that begins with '=', '+', '-', '@', a tab or a CR is written
    // with a "'" before it (the OWASP rule), a number such as +4917012345
    // included, so that a spreadsheet keeps it as text with its '+' and its
    // leading zeros. So is one that already begins with quotes before such
    // a character, so that Restore gives back every text exactly.
    static WString Defuse(const WString& strField);
    // The reverse, for an import: exactly that "'" removed.
    static WString Restore(const WString& strField);

private:
    WChar m_chSeparator;
    std::string m_strText;
};
