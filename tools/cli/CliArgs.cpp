#include "cli/Cli.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

CArgs::CArgs(const std::vector<std::string>& args)
{
    size_t i = 0;
    for (; i < args.size() && args[i] != "--"; ++i)
        m_args.push_back(args[i]);
    if (i < args.size())
        m_rest.assign(args.begin() + i + 1, args.end());
}

bool CArgs::Flag(const char* pszName)
{
    const std::string strFlag = std::string("--") + pszName;
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i] == strFlag) {
            m_args.erase(m_args.begin() + i);
            return true;
        }
    }
    return false;
}

bool CArgs::Option(const char* pszName, std::string& strValue)
{
    const std::string strOption = std::string("--") + pszName;
    for (size_t i = 0; i < m_args.size(); ++i) {
        if (m_args[i].compare(0, strOption.size() + 1, strOption + "=") == 0) {
            strValue = m_args[i].substr(strOption.size() + 1);
            m_args.erase(m_args.begin() + i);
            return true;
        }
        if (m_args[i] == strOption) {
            if (i + 1 >= m_args.size()) {
                m_strBadOption = strOption + " needs a value";
                m_args.erase(m_args.begin() + i);
                return false;
            }
            strValue = m_args[i + 1];
            m_args.erase(m_args.begin() + i, m_args.begin() + i + 2);
            return true;
        }
    }
    return false;
}

bool CArgs::Positionals(std::vector<std::string>& positionals, std::string& strError)
{
    if (!m_strBadOption.empty()) {
        strError = m_strBadOption;
        return false;
    }
    positionals.clear();
    for (const std::string& strArg : m_args) {
        if (strArg.size() > 1 && strArg[0] == '-') {
            strError = "unknown option " + strArg;
            return false;
        }
        positionals.push_back(strArg);
    }
    positionals.insert(positionals.end(), m_rest.begin(), m_rest.end());
    return true;
}

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

bool ParseUnsigned(const std::string& str, unsigned long nMax, unsigned long& nValue)
{
    if (str.empty() || str.size() > 10)
        return false;
    nValue = 0;
    for (char ch : str) {
        if (ch < '0' || ch > '9')
            return false;
        nValue = nValue * 10 + static_cast<unsigned long>(ch - '0');
    }
    return nValue <= nMax;
}

void PrintLine(const std::string& strLine)
{
    std::fwrite(strLine.data(), 1, strLine.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void PrintError(const std::string& strLine)
{
    std::fprintf(stderr, "zandusms-cli: %s\n", strLine.c_str());
    std::fflush(stderr);
}
