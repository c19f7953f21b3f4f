#include "online/ServerUrl.h"

#include <algorithm>
#include <cstdint>

#if defined(_WIN32)
#include <mutex>
#include <set>

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "base/Trace.h"
#endif

#ifndef ZANDU_SERVER_URL
#error "the build names the server: ZANDU_SERVER_URL"
#endif

const WChar kUpdateCheckPath[] = WSTR("/ZanduSMS/updatecheck.php");
const WChar kDownloadPath[] = WSTR("/ZanduSMS/download.php");
const WChar kReportPath[] = WSTR("/input.php");

namespace {

WChar FoldAscii(WChar ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<WChar>(ch - 'A' + 'a') : ch;
}

bool EqualsNoCase(const WString& str, const char* psz)
{
    size_t i = 0;
    for (; psz[i]; ++i)
        if (i >= str.size() || FoldAscii(str[i]) != static_cast<WChar>(psz[i]))
            return false;
    return i == str.size();
}


bool IsHexDigit(WChar ch)
{
    return IsDigit(ch) || (FoldAscii(ch) >= 'a' && FoldAscii(ch) <= 'f');
}

// The scheme's length ("http://" 7, "https://" 8, any case), 0 for another.
size_t SchemeLength(const WString& strUrl, bool& bSecure)
{
    bSecure = EqualsNoCase(strUrl.substr(0, 8), "https://");
    if (bSecure)
        return 8;
    return EqualsNoCase(strUrl.substr(0, 7), "http://") ? 7 : 0;
}

// The end of the host that begins at nHost: after the ']' of an IPv6
// address in brackets, else at the first ':' or '/'. npos when there is no
// host or the brackets hold something else.
size_t FindHostEnd(const WString& strUrl, size_t nHost)
{
    if (nHost < strUrl.size() && strUrl[nHost] == '[') {
        size_t i = nHost + 1;
        while (i < strUrl.size() && (IsHexDigit(strUrl[i]) || strUrl[i] == ':' || strUrl[i] == '.'))
            ++i;
        return i < strUrl.size() && strUrl[i] == ']' && i > nHost + 1 ? i + 1 : WString::npos;
    }
    const size_t nEnd = std::min(strUrl.find_first_of(WSTR(":/"), nHost), strUrl.size());
    return nEnd > nHost ? nEnd : WString::npos;
}

// What follows the host: nothing, a path, or a port of 1 to 65535 (WinInet
// takes nothing else, and every request would fail instead of going to the
// built-in server) and then nothing or a path.
bool IsPortAndPath(const WString& strUrl, size_t i)
{
    if (i < strUrl.size() && strUrl[i] == ':') {
        const size_t nPort = ++i;
        uint32_t dwPort = 0;
        for (; i < strUrl.size() && IsDigit(strUrl[i]) && dwPort <= 65535; ++i)
            dwPort = dwPort * 10 + static_cast<uint32_t>(strUrl[i] - '0');
        if (i == nPort || dwPort < 1 || dwPort > 65535)
            return false;
    }
    return i == strUrl.size() || strUrl[i] == '/';
}

// The scheme and host of a URL of server form; false for any other text.
bool SplitServerUrl(const WString& strUrl, bool& bSecure, WString& strHost)
{
    const size_t nHost = SchemeLength(strUrl, bSecure);
    if (nHost == 0)
        return false;
    for (WChar ch : strUrl)
        if (ch <= ' ' || ch == 0x7F || ch == '?' || ch == '#')
            return false;
    const size_t nEnd = FindHostEnd(strUrl, nHost);
    if (nEnd == WString::npos || !IsPortAndPath(strUrl, nEnd))
        return false;
    strHost = strUrl.substr(nHost, nEnd - nHost);
    return true;
}

// "127.a.b.c", each part 0 to 255 in decimal without leading zeros.
bool IsLoopbackIpv4(const WString& strHost)
{
    unsigned nParts = 0, nValue = 0, nDigits = 0;
    for (size_t i = 0; i <= strHost.size(); ++i) {
        if (i == strHost.size() || strHost[i] == '.') {
            if (nDigits == 0 || (nParts == 0 && nValue != 127))
                return false;
            ++nParts;
            nValue = nDigits = 0;
        } else if (!IsDigit(strHost[i]) || (nDigits == 1 && nValue == 0) || ++nDigits > 3) {
            return false;
        } else if ((nValue = nValue * 10 + static_cast<unsigned>(strHost[i] - '0')) > 255) {
            return false;
        }
    }
    return nParts == 4;
}

const WString& GetPermittedBuiltInServer()
{
    static const WString strBuiltIn = IsPermittedServer(GetBuiltInServer()) ? GetBuiltInServer() : WString();
    return strBuiltIn;
}

} // namespace

WString GetBuiltInServer()
{
    const std::string strUrl = ZANDU_SERVER_URL;
    return WString(strUrl.begin(), strUrl.end());
}

bool IsServerUrl(const WString& strUrl)
{
    bool bSecure = false;
    WString strHost;
    return SplitServerUrl(strUrl, bSecure, strHost);
}

bool IsLoopbackHost(const WString& strHost)
{
    return EqualsNoCase(strHost, "localhost") || strHost == WSTR("::1") || strHost == WSTR("[::1]") ||
           IsLoopbackIpv4(strHost);
}

bool IsPermittedServer(const WString& strUrl)
{
    bool bSecure = false;
    WString strHost;
    return SplitServerUrl(strUrl, bSecure, strHost) && (bSecure || IsLoopbackHost(strHost));
}

WString GetServerRefusal(const WString& strUrl)
{
    if (!IsServerUrl(strUrl) || IsPermittedServer(strUrl))
        return WString();
    return WSTR("http:// is only for this machine (127.0.0.0/8, ::1, localhost); another server needs https://");
}

WString MakeServerUrl(const WString& strSetting, const WString& strPath)
{
    WString strBase = IsPermittedServer(strSetting) ? strSetting : GetPermittedBuiltInServer();
    while (!strBase.empty() && strBase.back() == '/')
        strBase.pop_back();
    return strBase.empty() ? WString() : strBase + strPath;
}

#if defined(_WIN32)

namespace {

// Reported, so it reaches the usage statistics; once per value, since each
// request reads the setting and a report of it would read it again.
void ReportRefusal(const wchar_t* pszWhat, const WString& strUrl)
{
    const WString strWhy = GetServerRefusal(strUrl);
    if (strWhy.empty())
        return;
    static std::mutex s_mutex;
    static std::set<WString> s_reported;
    {
        std::lock_guard<std::mutex> lock(s_mutex);
        if (!s_reported.insert(strUrl).second)
            return;
    }
    TRACE_REPORT("%S %S not used: %S\n", pszWhat, strUrl.c_str(), strWhy.c_str());
}

} // namespace

WString GetServerUrl(const WString& strPath)
{
    const WString strSetting = CAppSettings().Read(ETextSetting::SERVER);
    if (!IsPermittedServer(strSetting)) {
        ReportRefusal(L"The \"Server\" setting", strSetting);
        ReportRefusal(L"The built-in server", GetBuiltInServer());
    }
    return MakeServerUrl(strSetting, strPath);
}

#endif
