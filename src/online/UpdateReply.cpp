#include "online/UpdateReply.h"

namespace {

const WChar kPrefix[] = WSTR("CHANGES ");
const size_t kPrefixLength = sizeof(kPrefix) / sizeof(kPrefix[0]) - 1;


bool IsWhite(WChar ch)
{
    return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n' || ch == '\v' || ch == '\f';
}

// The decimal number at str[i] up to the next non-digit; false when there is
// no digit or the number exceeds ullMax.
bool ReadNumber(const WString& str, size_t i, uint64_t ullMax, uint64_t& ullNumber)
{
    ullNumber = 0;
    const size_t start = i;
    for (; i < str.size() && IsDigit(str[i]); ++i) {
        ullNumber = ullNumber * 10 + static_cast<uint64_t>(str[i] - '0');
        if (ullNumber > ullMax)
            return false;
    }
    return i > start;
}

WString TrimWhite(const WString& str)
{
    size_t first = 0, last = str.size();
    while (first < last && IsWhite(str[first]))
        ++first;
    while (last > first && IsWhite(str[last - 1]))
        --last;
    return str.substr(first, last - first);
}

bool IsControl(WChar ch)
{
    return ch < 0x20 || (ch >= 0x7F && ch <= 0x9F);
}

bool IsLowSurrogate(WChar ch)
{
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

} // namespace

WString BoundChanges(const WString& strChanges)
{
    WString strClean;
    for (WChar ch : strChanges)
        if (!IsControl(ch) || ch == '\r' || ch == '\n')
            strClean += ch;
    strClean = TrimWhite(strClean);
    size_t nLines = 1, nChars = 0;
    for (size_t i = 0; i < strClean.size(); ++i) {
        const WChar ch = strClean[i];
        // The second unit of a surrogate pair or of CR LF continues a character.
        if (IsLowSurrogate(ch) || (ch == '\n' && i > 0 && strClean[i - 1] == '\r'))
            continue;
        const bool bBreak = ch == '\r' || ch == '\n';
        if ((bBreak && nLines == kMaxChangesLines) || nChars == kMaxChangesChars)
            return strClean.substr(0, i) + WSTR("...");
        nLines += bBreak ? 1 : 0;
        ++nChars;
    }
    return strClean;
}

bool ParseVersion(const WString& strText, uint64_t& ullVersion)
{
    ullVersion = 0;
    for (WChar ch : strText)
        if (!IsDigit(ch) && ch != '.')
            return false;
    const size_t nFirstDot = strText.find('.');
    if (nFirstDot == WString::npos || nFirstDot == 0)
        return false;
    const size_t nSecondDot = strText.find('.', nFirstDot + 2);
    if (nSecondDot == WString::npos || nSecondDot + 1 >= strText.size())
        return false;
    uint64_t ullMajor = 0, ullMinor = 0, ullThird = 0;
    if (!ReadNumber(strText, 0, 0xFFFFFFFFu, ullMajor) || !ReadNumber(strText, nFirstDot + 1, 0xFFFF, ullMinor) ||
        !ReadNumber(strText, nSecondDot + 1, 0xFFFF, ullThird))
        return false;
    ullVersion = (ullMajor << 32) | (ullMinor << 16) | ullThird;
    return true;
}

CUpdateReply ReadUpdateReply(const WString& strBody, const WString& strRunningVersion)
{
    CUpdateReply reply;
    if (strBody.compare(0, kPrefixLength, kPrefix) != 0)
        return reply;
    const WString strRest = strBody.substr(kPrefixLength);
    const size_t nBreak = strRest.find_first_of(WSTR("\r\n"));
    if (nBreak == WString::npos || nBreak == 0)
        return reply;
    uint64_t ullNewest = 0, ullRunning = 0;
    if (!ParseVersion(strRest.substr(0, nBreak), ullNewest) || !ParseVersion(strRunningVersion, ullRunning) ||
        ullNewest <= ullRunning)
        return reply;
    reply.bUpdateAvailable = true;
    reply.strChanges = BoundChanges(strRest.substr(nBreak + 1));
    return reply;
}
