#include "online/ServerUrl.h"

#include <cstdint>

#if defined(_WIN32)
#include "base/Settings.h"
#endif

#ifndef ZANDU_SERVER_URL
#error "the build names the server: ZANDU_SERVER_URL"
#endif

const WChar kUpdateCheckPath[] = WSTR("/ZanduSMS/updatecheck.php");
const WChar kDownloadPath[] = WSTR("/ZanduSMS/download.php");
const WChar kReportPath[] = WSTR("/input.php");

namespace {

// Case-insensitive for ASCII letters.
bool StartsWithNoCase(const WString& str, const char* pszPrefix, size_t& nLength)
{
    nLength = 0;
    for (; pszPrefix[nLength]; ++nLength) {
        if (nLength >= str.size())
            return false;
        WChar ch = str[nLength];
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<WChar>(ch - 'A' + 'a');
        if (ch != static_cast<WChar>(pszPrefix[nLength]))
            return false;
    }
    return true;
}

// A port after the host, when there is one, is 1 to 65535: WinInet takes
// nothing else, and every request would fail instead of going to the
// built-in server.
bool HasValidPort(const WString& strUrl, size_t nHost)
{
    const size_t nColon = strUrl.find_first_of(WSTR(":/"), nHost);
    if (nColon == WString::npos || strUrl[nColon] == '/')
        return true;
    uint32_t dwPort = 0;
    size_t i = nColon + 1;
    for (; i < strUrl.size() && strUrl[i] >= '0' && strUrl[i] <= '9' && dwPort <= 65535; ++i)
        dwPort = dwPort * 10 + static_cast<uint32_t>(strUrl[i] - '0');
    return i > nColon + 1 && dwPort >= 1 && dwPort <= 65535 && (i == strUrl.size() || strUrl[i] == '/');
}

} // namespace

WString GetBuiltInServer()
{
    const std::string strUrl = ZANDU_SERVER_URL;
    return WString(strUrl.begin(), strUrl.end());
}

bool IsServerUrl(const WString& strUrl)
{
    size_t nScheme = 0;
    if (!StartsWithNoCase(strUrl, "http://", nScheme) && !StartsWithNoCase(strUrl, "https://", nScheme))
        return false;
    if (nScheme >= strUrl.size() || strUrl[nScheme] == '/' || strUrl[nScheme] == ':')
        return false;  // no host
    for (WChar ch : strUrl)
        if (ch <= ' ' || ch == 0x7F || ch == '?' || ch == '#')
            return false;
    return HasValidPort(strUrl, nScheme);
}

WString MakeServerUrl(const WString& strSetting, const WString& strPath)
{
    WString strBase = IsServerUrl(strSetting) ? strSetting : GetBuiltInServer();
    while (!strBase.empty() && strBase.back() == '/')
        strBase.pop_back();
    return strBase + strPath;
}

#if defined(_WIN32)

WString GetServerUrl(const WString& strPath)
{
    return MakeServerUrl(GetSettingsKey().Value("Server").ReadString(), strPath);
}

#endif
