#include "online/ServerUrl.h"

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
    return true;
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
