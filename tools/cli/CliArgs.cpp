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

std::string TerminalSafe(const std::string& strLine)
{
    std::string strOut;
    for (size_t i = 0; i < strLine.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strLine[i]);
        const unsigned char chNext = i + 1 < strLine.size() ? static_cast<unsigned char>(strLine[i + 1]) : 0;
        char szEscape[8];
        if (ch < 0x20 && ch != '\t') {
            std::snprintf(szEscape, sizeof(szEscape), "\\x%02X", ch);
        } else if (ch == 0xC2 && chNext >= 0x80 && chNext <= 0x9F) {  // U+0080-U+009F in UTF-8
            std::snprintf(szEscape, sizeof(szEscape), "\\u%04X", chNext);
            ++i;
        } else {
            strOut += static_cast<char>(ch);
            continue;
        }
        strOut += szEscape;
    }
    return strOut;
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
