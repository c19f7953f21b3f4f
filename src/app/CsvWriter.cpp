#include "app/CsvWriter.h"

namespace {

const WChar kQuotePrefix = '\'';

bool StartsFormula(WChar ch)
{
    return ch == '=' || ch == '+' || ch == '-' || ch == '@' || ch == '\t' || ch == '\r';
}

// "'" repeated, then a character that starts a formula.
bool IsFormulaShaped(const WString& str)
{
    const size_t nFirst = str.find_first_not_of(kQuotePrefix);
    return nFirst != WString::npos && StartsFormula(str[nFirst]);
}

} // namespace

CCsvWriter::CCsvWriter(WChar chSeparator) : m_chSeparator(chSeparator), m_strText(kUtf8Bom) {}

WString CCsvWriter::Defuse(const WString& strField)
{
    return IsFormulaShaped(strField) ? kQuotePrefix + strField : strField;
}

WString CCsvWriter::Restore(const WString& strField)
{
    return !strField.empty() && strField[0] == kQuotePrefix && IsFormulaShaped(strField) ? strField.substr(1)
                                                                                        : strField;
}

void CCsvWriter::AddRow(const std::vector<WString>& aFields)
{
    for (size_t i = 0; i < aFields.size(); ++i) {
        if (i)
            m_strText += WideToUtf8(WString(1, m_chSeparator));
        const WString strField = Defuse(aFields[i]);
        const bool bQuote = strField.find_first_of(WSTR("\",;\t\r\n")) != WString::npos ||
                            strField.find(m_chSeparator) != WString::npos ||
                            (!strField.empty() && (IsBlank(strField[0]) || IsBlank(strField.back())));
        if (!bQuote) {
            m_strText += WideToUtf8(strField);
            continue;
        }
        WString strQuoted;
        for (WChar ch : strField)
            strQuoted += ch == '"' ? WString(WSTR("\"\"")) : WString(1, ch);
        m_strText += "\"" + WideToUtf8(strQuoted) + "\"";
    }
    m_strText += "\r\n";
}
