#include "online/ReportUrl.h"

#include <cstdint>

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

WString MakeReportUrl(const WString& strEndpoint, const WString& strEmail, const WString& strModel,
                      const WString& strMsg, const WString& strVersion)
{
    return strEndpoint + WSTR("?msg=") + UrlEncode(strMsg) + WSTR("&email=") + UrlEncode(strEmail) +
           WSTR("&model=") + UrlEncode(strModel) + WSTR("&version=") + strVersion;
}
