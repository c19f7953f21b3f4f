#include "base/CodePage.h"

#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {

const unsigned kUtf8 = 65001, kAscii = 20127, kWindows1252 = 1252, kLatin1 = 28591, kLatin9 = 28605;

struct CCharset {
    const char* pszName;  // upper case, without '-', '_' and blanks
    unsigned nCodePage;
};

const CCharset kCharsets[] = {
    {"UTF8", kUtf8}, {"USASCII", kAscii}, {"ASCII", kAscii},
    {"ISO88591", kLatin1}, {"LATIN1", kLatin1}, {"ISO885915", kLatin9}, {"LATIN9", kLatin9},
    {"ISO88592", 28592}, {"ISO88595", 28595}, {"ISO88597", 28597}, {"ISO88599", 28599},
    {"KOI8R", 20866}, {"KOI8U", 21866},
    {"SHIFTJIS", 932}, {"SJIS", 932}, {"MSKANJI", 932}, {"WINDOWS31J", 932}, {"CP932", 932}, {"EUCJP", 20932},
    {"GB2312", 936}, {"GBK", 936}, {"CP936", 936}, {"BIG5", 950}, {"CP950", 950},
    {"EUCKR", 949}, {"KSC56011987", 949}, {"CP949", 949},
};

// What ISO-8859-15 has where ISO-8859-1 has other signs.
const struct {
    unsigned char ch;
    WChar chWide;
} kLatin9Changes[] = {{0xA4, 0x20AC}, {0xA6, 0x0160}, {0xA8, 0x0161}, {0xB4, 0x017D},
                      {0xB8, 0x017E}, {0xBC, 0x0152}, {0xBD, 0x0153}, {0xBE, 0x0178}};

std::string Key(const WString& strCharset)
{
    std::string str;
    for (WChar ch : strCharset) {
        if (ch >= 'a' && ch <= 'z')
            str += static_cast<char>(ch - 'a' + 'A');
        else if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'))
            str += static_cast<char>(ch);
        else if (ch != '-' && ch != '_' && ch != ' ')
            return std::string();  // no charset name holds it
    }
    return str;
}

// "WINDOWS1251", "CP1251": the Windows code pages 1250 to 1258.
unsigned WindowsCodePage(const std::string& strKey)
{
    for (const char* pszPrefix : {"WINDOWS", "CP"}) {
        const size_t nPrefix = std::strlen(pszPrefix);
        if (strKey.size() == nPrefix + 4 && strKey.compare(0, nPrefix + 3, std::string(pszPrefix) + "125") == 0 &&
            strKey.back() >= '0' && strKey.back() <= '8')
            return 1250 + static_cast<unsigned>(strKey.back() - '0');
    }
    return 0;
}

bool WesternToWide(unsigned nCodePage, const std::string& strBytes, WString& strText)
{
    if (nCodePage == kUtf8) {
        strText = Utf8ToWide(strBytes);
    } else if (nCodePage == kAscii) {
        strText.clear();
        for (unsigned char ch : strBytes)
            strText += ch < 0x80 ? static_cast<WChar>(ch) : static_cast<WChar>(0xFFFD);
    } else if (nCodePage == kWindows1252 || nCodePage == kLatin1) {
        strText = Windows1252ToWide(strBytes);
    } else if (nCodePage == kLatin9) {
        strText.clear();
        for (unsigned char ch : strBytes) {
            WChar chWide = ch;
            for (const auto& change : kLatin9Changes)
                chWide = change.ch == ch ? change.chWide : chWide;
            strText += chWide;
        }
    } else {
        return false;
    }
    return true;
}

} // namespace

unsigned CodePageOfCharset(const WString& strCharset)
{
    const std::string strKey = Key(strCharset);
    for (const CCharset& charset : kCharsets) {
        if (strKey == charset.pszName)
            return charset.nCodePage;
    }
    return WindowsCodePage(strKey);
}

#if defined(_WIN32)

bool CodePageToWide(unsigned nCodePage, const std::string& strBytes, WString& strText)
{
    if (WesternToWide(nCodePage, strBytes, strText))
        return true;
    if (nCodePage == 0 || !IsValidCodePage(nCodePage))  // 0 would be the ANSI code page
        return false;
    strText.clear();
    if (strBytes.empty())
        return true;
    const int nBytes = static_cast<int>(strBytes.size());
    const int n = MultiByteToWideChar(nCodePage, 0, strBytes.data(), nBytes, nullptr, 0);
    if (n <= 0)
        return false;
    strText.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(nCodePage, 0, strBytes.data(), nBytes, &strText[0], n) == n;
}

#else

bool CodePageToWide(unsigned nCodePage, const std::string& strBytes, WString& strText)
{
    return WesternToWide(nCodePage, strBytes, strText);
}

#endif
