#include "phone/PhoneReply.h"

#include <cstdint>

#include "sms/PduReader.h"

namespace {

bool IsBreak(char ch)
{
    return ch == '\r' || ch == '\n';
}

// Walks one reply line field by field.
class CFieldCursor {
public:
    CFieldCursor(const std::string& str, size_t nPos) : m_str(str), m_nPos(nPos) {}

    bool AtEnd()
    {
        SkipBlanks();
        return m_nPos >= m_str.size();
    }

    bool Eat(char ch)
    {
        SkipBlanks();
        if (m_nPos < m_str.size() && m_str[m_nPos] == ch) {
            ++m_nPos;
            return true;
        }
        return false;
    }

    // Decimal digits, at most 9 of them (no overflow).
    bool Number(unsigned& n)
    {
        SkipBlanks();
        const size_t nStart = m_nPos;
        n = 0;
        while (m_nPos < m_str.size() && m_str[m_nPos] >= '0' && m_str[m_nPos] <= '9') {
            if (m_nPos - nStart == 9)
                return false;
            n = n * 10 + static_cast<unsigned>(m_str[m_nPos] - '0');
            ++m_nPos;
        }
        return m_nPos > nStart;
    }

    // Up to the next comma (not taken) or the end, trimmed.
    std::string Unquoted()
    {
        const size_t nComma = m_str.find(',', m_nPos);
        const size_t nEnd = nComma == std::string::npos ? m_str.size() : nComma;
        std::string str = TrimWhite(m_str.substr(m_nPos, nEnd - m_nPos));
        m_nPos = nEnd;
        return str;
    }

    // After an opening quote: up to the next quote. False when it is missing.
    bool QuotedPlain(std::string& str)
    {
        const size_t nClose = m_str.find('"', m_nPos);
        if (nClose == std::string::npos)
            return false;
        str = m_str.substr(m_nPos, nClose - m_nPos);
        m_nPos = nClose + 1;
        return true;
    }

    // After an opening quote: a text that may itself hold quotes and commas.
    // Its closing quote is the first one followed by the end of the line or
    // by a comma that starts another field (a number, a quoted string or an
    // empty field). Without one, the text runs to the end of the line.
    std::string QuotedText()
    {
        for (size_t q = m_str.find('"', m_nPos); q != std::string::npos; q = m_str.find('"', q + 1)) {
            if (ClosesText(q)) {
                std::string str = m_str.substr(m_nPos, q - m_nPos);
                m_nPos = q + 1;
                return str;
            }
        }
        std::string str = m_str.substr(m_nPos);
        m_nPos = m_str.size();
        return str;
    }

    // Skips the rest of a field that is not what was expected.
    void SkipField()
    {
        const size_t nComma = m_str.find(',', m_nPos);
        m_nPos = nComma == std::string::npos ? m_str.size() : nComma;
    }

private:
    void SkipBlanks()
    {
        while (m_nPos < m_str.size() && (m_str[m_nPos] == ' ' || m_str[m_nPos] == '\t'))
            ++m_nPos;
    }

    bool ClosesText(size_t nQuote) const
    {
        size_t i = nQuote + 1;
        while (i < m_str.size() && (m_str[i] == ' ' || m_str[i] == '\t'))
            ++i;
        if (i == m_str.size())
            return true;
        if (m_str[i] != ',')
            return false;
        ++i;
        while (i < m_str.size() && (m_str[i] == ' ' || m_str[i] == '\t'))
            ++i;
        return i == m_str.size() || m_str[i] == '"' || m_str[i] == ',' ||
               (m_str[i] >= '0' && m_str[i] <= '9');
    }

    const std::string& m_str;
    size_t m_nPos;
};

const char kCpbr[] = "+CPBR:";
const unsigned kInternational = 145;

// A quoted string constant of 3GPP TS 27.007 writes a character it cannot
// hold as a backslash and two hex digits: a quote is \22, a backslash \5C.
// A backslash not followed by two hex digits stands for itself. A decoded
// control character becomes a space: a name is one line of text.
std::string DecodeEscapes(const std::string& str)
{
    std::string out;
    out.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i) {
        const int nHigh = str[i] == '\\' && i + 2 < str.size() ? HexDigitValue(str[i + 1]) : -1;
        const int nLow = nHigh >= 0 ? HexDigitValue(str[i + 2]) : -1;
        if (nLow < 0) {
            out += str[i];
            continue;
        }
        const int nByte = nHigh * 16 + nLow;
        out += nByte < 0x20 || nByte == 0x7F ? ' ' : static_cast<char>(nByte);
        i += 2;
    }
    return out;
}

} // namespace

EFinalResult GetFinalResult(const std::string& strLine)
{
    if (strLine == "OK")
        return EFinalResult::FINAL_OK;
    // Some sticks say "COMMAND NOT SUPPORT" where others say ERROR.
    if (strLine == "ERROR" || strLine == "COMMAND NOT SUPPORT" || StartsWith(strLine, "+CME ERROR") ||
        StartsWith(strLine, "+CMS ERROR"))
        return EFinalResult::FINAL_ERROR;
    return EFinalResult::FINAL_NONE;
}

bool IsLeftoverAnswer(const std::string& strLine, bool bMore, bool& bAfterAck)
{
    const bool bAck = StartsWith(strLine, "+CMGS:") || StartsWith(strLine, "+CMGW:");
    const bool bLeftover = bAck || (bAfterAck && strLine == "OK") || StartsWith(strLine, "+CMS ERROR") ||
                           (bMore && (strLine == "ERROR" || StartsWith(strLine, "+CME ERROR")));
    bAfterAck = bAck;
    return bLeftover;
}

bool CReplyLines::Feed(const std::string& strBurst, std::vector<std::string>& lines)
{
    // A zero byte is line noise, not the end of what came.
    for (char ch : strBurst) {
        if (ch != '\0')
            m_strTail += ch;
    }
    size_t nStart = 0;
    for (size_t i = 0; i < m_strTail.size(); ++i) {
        if (!IsBreak(m_strTail[i]))
            continue;
        std::string strLine = TrimWhite(m_strTail.substr(nStart, i - nStart));
        if (!strLine.empty())
            lines.push_back(std::move(strLine));
        nStart = i + 1;
    }
    m_strTail.erase(0, nStart);
    const std::string strRest = TrimWhite(m_strTail);
    if (strRest == "OK" || strRest == "ERROR") {
        lines.push_back(strRest);
        m_strTail.clear();
    }
    if (m_strTail.size() > m_nMaxLine) {
        m_strTail.clear();
        return false;
    }
    return true;
}

bool CReplyLines::TakePrompt()
{
    if (TrimWhite(m_strTail) != ">")
        return false;
    m_strTail.clear();
    return true;
}

bool ParsePhonebookRange(const std::string& strLine, unsigned& nFirst, unsigned& nLast)
{
    if (!StartsWith(strLine, kCpbr))
        return false;
    CFieldCursor cursor(strLine, sizeof(kCpbr) - 1);
    const bool bParen = cursor.Eat('(');
    if (!cursor.Number(nFirst))
        return false;
    nLast = nFirst;
    if (cursor.Eat('-') && !cursor.Number(nLast))
        return false;
    if (bParen && !cursor.Eat(')'))
        return false;
    if (!cursor.AtEnd() && !cursor.Eat(','))
        return false;
    return nFirst <= nLast;
}

bool ParsePhonebookEntry(const std::string& strLine, CPhonebookEntry& entry)
{
    entry = CPhonebookEntry();
    if (!StartsWith(strLine, kCpbr))
        return false;
    CFieldCursor cursor(strLine, sizeof(kCpbr) - 1);
    if (!cursor.Number(entry.nIndex) || !cursor.Eat(','))
        return false;

    std::string strNumber;
    if (cursor.Eat('"')) {
        if (!cursor.QuotedPlain(strNumber))
            return false;
        strNumber = TrimWhite(strNumber);
    } else {
        strNumber = cursor.Unquoted();
    }

    unsigned nType = 0;
    std::string strName;
    if (cursor.Eat(',')) {
        if (!cursor.Number(nType)) {
            nType = 0;
            cursor.SkipField();
        }
        if (cursor.Eat(','))
            strName = cursor.Eat('"') ? cursor.QuotedText() : cursor.Unquoted();
    }

    if (nType == kInternational && !strNumber.empty() && strNumber[0] != '+')
        strNumber.insert(0, 1, '+');
    entry.strNumber = Utf8ToWide(strNumber);
    entry.strName = Utf8ToWide(DecodeEscapes(strName));
    return true;
}

std::string GetModelText(const std::vector<std::string>& lines)
{
    std::string strModel;
    for (const std::string& strLine : lines) {
        const std::string strPart =
            TrimWhite(StartsWith(strLine, "+CGMI:") ? strLine.substr(6) : strLine);
        if (strPart.empty())
            continue;
        if (!strModel.empty())
            strModel += ' ';
        strModel += strPart;
    }
    return strModel;
}
