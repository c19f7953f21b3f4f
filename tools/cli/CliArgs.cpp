#include "cli/Cli.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

bool ReadText(const std::string& strPath, WString& strText, std::string& strError)
{
    std::string strBytes;
    if (strPath == "-") {
        std::ostringstream ss;
        ss << std::cin.rdbuf();
        strBytes = ss.str();
    } else {
        std::ifstream file(strPath.c_str(), std::ios::binary);
        if (!file) {
            strError = "cannot read " + strPath;
            return false;
        }
        strBytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    if (strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        strBytes.erase(0, 3);
    if (!IsValidUtf8(strBytes)) {
        strError = strPath + " is not UTF-8 text";
        return false;
    }
    strText = Utf8ToWide(strBytes);
    return true;
}

int ParseNumberOption(const char* pszName, const std::string& strValue, uint32_t nMin, uint32_t nMax,
                      uint32_t& nValue)
{
    // A minus sign makes a number too, one below every range. The digits
    // are gathered in 64 bits and stop growing past the range, so no value
    // wraps into it.
    const bool bNegative = strValue.compare(0, 1, "-") == 0;
    bool bNumber = strValue.size() > (bNegative ? 1u : 0u);
    uint64_t ullValue = 0;
    for (size_t i = bNegative ? 1 : 0; i < strValue.size() && bNumber; ++i) {
        bNumber = strValue[i] >= '0' && strValue[i] <= '9';
        if (bNumber && ullValue <= nMax)
            ullValue = ullValue * 10 + static_cast<uint64_t>(strValue[i] - '0');
    }
    const std::string strOption = std::string("--") + pszName;
    if (!bNumber) {
        PrintError(strOption + " takes a whole number from " + std::to_string(nMin) + " to " + std::to_string(nMax));
        return kExitUsage;
    }
    if (bNegative || ullValue < nMin || ullValue > nMax) {
        PrintError(strOption + " must be " + std::to_string(nMin) + " to " + std::to_string(nMax));
        return kExitInput;
    }
    nValue = static_cast<uint32_t>(ullValue);
    return kExitOk;
}

namespace {

// The code point of the UTF-8 sequence at i when it is one that must not
// reach a terminal as it is (DEL, a C1 control, a bidirectional or invisible
// format character), with its length; 0 for any other.
unsigned Unsafe(const std::string& str, size_t i, size_t& nLength)
{
    auto at = [&](size_t k) { return i + k < str.size() ? static_cast<unsigned char>(str[i + k]) : 0u; };
    const unsigned b0 = at(0), b1 = at(1), b2 = at(2);
    nLength = 1;
    if (b0 == 0x7F)
        return 0x7F;
    nLength = 2;
    if (b0 == 0xC2 && b1 >= 0x80 && b1 <= 0x9F)
        return b1;  // U+0080-U+009F
    if (b0 == 0xD8 && b1 == 0x9C)
        return 0x061C;  // the Arabic letter mark
    nLength = 3;
    const unsigned cp = (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
    const bool bThree = b0 == 0xE2 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80;
    if (bThree && (cp == 0x200E || cp == 0x200F || (cp >= 0x202A && cp <= 0x202E) || (cp >= 0x2066 && cp <= 0x2069)))
        return cp;
    return 0;
}

} // namespace

std::string TerminalSafe(const std::string& strLine)
{
    std::string strOut;
    for (size_t i = 0; i < strLine.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strLine[i]);
        char szEscape[16];
        size_t nLength = 0;
        if (ch < 0x20 && ch != '\t') {
            std::snprintf(szEscape, sizeof(szEscape), "\\x%02X", ch);
        } else if (const unsigned cp = Unsafe(strLine, i, nLength)) {
            std::snprintf(szEscape, sizeof(szEscape), "\\u%04X", cp & 0xFFFF);
            i += nLength - 1;
        } else {
            strOut += static_cast<char>(ch);
            continue;
        }
        strOut += szEscape;
    }
    return strOut;
}

std::string TerminalSafeTrace(const char* pszLine)
{
    std::string strLine(pszLine);
    const bool bEnd = !strLine.empty() && strLine.back() == '\n';
    if (bEnd)
        strLine.pop_back();
    return TerminalSafe(strLine) + (bEnd ? "\n" : "");
}

void PrintLine(const std::string& strLine)
{
    const std::string strSafe = TerminalSafe(strLine);
    std::fwrite(strSafe.data(), 1, strSafe.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& strLine)
{
    std::fprintf(stderr, "zandusms-cli: %s\n", TerminalSafe(strLine).c_str());
    std::fflush(stderr);
}

int NeedsWindows(const char* pszCommand)
{
    PrintError(std::string(pszCommand) + " needs Windows (run the Windows build, under Wine on Linux)");
    return kExitUsage;
}
