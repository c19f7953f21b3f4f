#include "online/ReportUrl.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

const char kHex[] = "0123456789ABCDEF";

bool IsAlnum(uint32_t ch)
{
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

bool IsHighSurrogate(uint32_t ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(uint32_t ch)
{
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

void AppendByte(WString& out, uint32_t b)
{
    if (b == ' ') {
        out += '+';
    } else if (IsAlnum(b)) {
        out += static_cast<WChar>(b);
    } else {
        out += '%';
        out += static_cast<WChar>(kHex[b >> 4]);
        out += static_cast<WChar>(kHex[b & 0xF]);
    }
}

// "&#<code point>;" percent-encoded.
void AppendReference(WString& out, uint32_t cp)
{
    out += WSTR("%26%23");
    const std::string strDecimal = std::to_string(cp);
    out.append(strDecimal.begin(), strDecimal.end());
    out += WSTR("%3B");
}

} // namespace

WString UrlEncode(const WString& strText)
{
    WString out;
    out.reserve(strText.size() * 3);
    for (size_t i = 0; i < strText.size(); ++i) {
        uint32_t ch = static_cast<uint16_t>(strText[i]);
        if (ch == '&' && i + 1 < strText.size() && strText[i + 1] == '#') {
            AppendReference(out, ch);
        } else if (ch <= 0xFF) {
            AppendByte(out, ch);
        } else if (IsHighSurrogate(ch) && i + 1 < strText.size() && IsLowSurrogate(static_cast<uint16_t>(strText[i + 1]))) {
            const uint32_t lo = static_cast<uint16_t>(strText[++i]);
            AppendReference(out, 0x10000 + ((ch - 0xD800) << 10) + (lo - 0xDC00));
        } else {
            AppendReference(out, IsHighSurrogate(ch) || IsLowSurrogate(ch) ? 0xFFFD : ch);
        }
    }
    return out;
}

WString MakeReportQuery(const WString& strEmail, const WString& strModel, const WString& strMsg,
                        const WString& strVersion)
{
    return WSTR("msg=") + UrlEncode(strMsg) + WSTR("&email=") + UrlEncode(strEmail) + WSTR("&model=") +
           UrlEncode(strModel) + WSTR("&version=") + strVersion;
}

WString MakeReportUrl(const WString& strEndpoint, const WString& strQuery)
{
    return strEndpoint + WSTR("?") + strQuery;
}

size_t GetRequestLineSize(const WString& strUrl)
{
    const size_t nScheme = strUrl.find(WSTR("://"));
    const size_t nPath = strUrl.find('/', nScheme == WString::npos ? 0 : nScheme + 3);
    const std::string strObject = nPath == WString::npos ? std::string("/") : WideToUtf8(strUrl.substr(nPath));
    return std::string("GET ").size() + strObject.size() + std::string(" HTTP/1.1").size();
}

namespace {

// The code-unit offsets at which the characters of a text begin, and its end.
std::vector<size_t> CharStarts(const WString& str)
{
    std::vector<size_t> starts;
    for (size_t i = 0; i < str.size(); ++i) {
        if (!(i > 0 && IsHighSurrogate(static_cast<uint16_t>(str[i - 1])) &&
              IsLowSurrogate(static_cast<uint16_t>(str[i]))))
            starts.push_back(i);
    }
    starts.push_back(str.size());
    return starts;
}

// The first nKeep characters of a text (all when it has fewer).
WString KeepChars(const WString& str, const std::vector<size_t>& starts, size_t nKeep)
{
    return str.substr(0, starts[nKeep < starts.size() ? nKeep : starts.size() - 1]);
}

} // namespace

size_t CountCharsOverRequestLine(const WString& strEndpoint, const WString& strEmail, const WString& strModel,
                                 const WString& strMsg, const WString& strVersion)
{
    // The fields in the order their characters are given up.
    const WString* apFields[] = {&strMsg, &strModel, &strEmail};
    std::vector<size_t> aStarts[3];
    size_t nTotal = 0;
    for (int i = 0; i < 3; ++i) {
        aStarts[i] = CharStarts(*apFields[i]);
        nTotal += aStarts[i].size() - 1;
    }
    // The line's size never grows as characters go, so the fewest that do
    // are found by halving.
    const auto fits = [&](size_t nCut) {
        WString astrKept[3];
        for (int i = 0; i < 3; ++i) {
            const size_t nChars = aStarts[i].size() - 1;
            const size_t nCutHere = nCut < nChars ? nCut : nChars;
            astrKept[i] = KeepChars(*apFields[i], aStarts[i], nChars - nCutHere);
            nCut -= nCutHere;
        }
        const WString strQuery = MakeReportQuery(astrKept[2], astrKept[1], astrKept[0], strVersion);
        return GetRequestLineSize(MakeReportUrl(strEndpoint, strQuery)) <= kMaxReportRequestLine;
    };
    if (fits(0))
        return 0;
    size_t nLow = 1, nHigh = nTotal;  // fits(nHigh) is taken for granted: nothing more can go
    while (nLow < nHigh) {
        const size_t nMid = nLow + (nHigh - nLow) / 2;
        if (fits(nMid))
            nHigh = nMid;
        else
            nLow = nMid + 1;
    }
    return nLow;
}
