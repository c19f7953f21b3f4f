#include "base/Text.h"

#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

const char kWhite[] = " \t\r\n\v\f";

// Windows-1252: Latin-1 except for the printable characters at 0x80-0x9F.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Decodes one UTF-8 sequence at str[i]; advances i. Returns -1 when malformed
// (overlong forms, surrogates and values above U+10FFFF included).
long DecodeUtf8(const std::string& str, size_t& i)
{
    const unsigned char lead = static_cast<unsigned char>(str[i++]);
    if (lead < 0x80)
        return lead;
    int extra = 0;
    long cp = 0;
    long min = 0;
    if ((lead & 0xE0) == 0xC0) { extra = 1; cp = lead & 0x1F; min = 0x80; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; cp = lead & 0x0F; min = 0x800; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; cp = lead & 0x07; min = 0x10000; }
    else return -1;
    for (int k = 0; k < extra; ++k) {
        if (i >= str.size())
            return -1;
        const unsigned char c = static_cast<unsigned char>(str[i]);
        if ((c & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (c & 0x3F);
        ++i;
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    return cp;
}

void AppendUtf16(WString& out, long cp)
{
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<WChar>(0xD800 + (cp >> 10));
        out += static_cast<WChar>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<WChar>(cp);
    }
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

WString Utf8ToWide(const std::string& str)
{
    WString out;
    out.reserve(str.size());
    for (size_t i = 0; i < str.size();) {
        const size_t start = i;
        const long cp = DecodeUtf8(str, i);
        if (cp < 0) {
            out += static_cast<WChar>(0xFFFD);
            i = start + 1;  // resynchronise on the next byte
        } else {
            AppendUtf16(out, cp);
        }
    }
    return out;
}

bool IsValidUtf8(const std::string& str)
{
    for (size_t i = 0; i < str.size();)
        if (DecodeUtf8(str, i) < 0)
            return false;
    return true;
}

std::string WideToUtf8(const WString& str)
{
    std::string out;
    out.reserve(str.size());
    for (size_t i = 0; i < str.size(); ++i) {
        uint32_t cp = static_cast<uint16_t>(str[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < str.size()) {
            const uint32_t lo = static_cast<uint16_t>(str[i + 1]);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF)
            cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
        AppendUtf8(out, cp);
    }
    return out;
}

WString Windows1252ToWide(const std::string& str)
{
    WString out;
    out.reserve(str.size());
    for (unsigned char c : str)
        out += (c >= 0x80 && c < 0xA0) ? static_cast<WChar>(kCp1252High[c - 0x80]) : static_cast<WChar>(c);
    return out;
}

#if defined(_WIN32)

WString AnsiToWide(const std::string& str)
{
    if (str.empty())
        return WString();
    const int n = MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), nullptr, 0);
    WString out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, str.data(), static_cast<int>(str.size()), &out[0], n);
    return out;
}

std::string WideToAnsi(const WString& str)
{
    if (str.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, str.data(), static_cast<int>(str.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, str.data(), static_cast<int>(str.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

#else

WString AnsiToWide(const std::string& str)
{
    return Windows1252ToWide(str);
}

std::string WideToAnsi(const WString& str)
{
    std::string out;
    out.reserve(str.size());
    for (char16_t c : str) {
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            b = static_cast<char>(c);
        } else {
            for (int k = 0; k < 32; ++k)
                if (kCp1252High[k] == c)
                    b = static_cast<char>(0x80 + k);
        }
        out += b;
    }
    return out;
}

#endif

WString TrimBlanks(const WString& str)
{
    const size_t nStart = str.find_first_not_of(WSTR(" \t"));
    if (nStart == WString::npos)
        return WString();
    return str.substr(nStart, str.find_last_not_of(WSTR(" \t")) - nStart + 1);
}

int HexDigitValue(int ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

bool StartsWith(const std::string& str, const char* pszPrefix)
{
    return str.compare(0, std::char_traits<char>::length(pszPrefix), pszPrefix) == 0;
}

std::string TrimWhite(const std::string& str)
{
    const size_t last = str.find_last_not_of(kWhite);
    if (last == std::string::npos)
        return std::string();
    const size_t first = str.find_first_not_of(kWhite);
    return str.substr(first, last - first + 1);
}
