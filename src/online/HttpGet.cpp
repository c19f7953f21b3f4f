#include "online/HttpGet.h"

#include <string>

#include "online/HttpBody.h"
#include "online/InternetHandle.h"

namespace {

const DWORD kReadSize = 1024;
const DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI;

// Set on the session (whose children inherit them on Windows) and again on
// the request itself, where every WinInet (Wine's too) honours them.
void SetTimeouts(HINTERNET hInternet)
{
    const DWORD adwOptions[][2] = {{INTERNET_OPTION_CONNECT_TIMEOUT, kHttpConnectTimeoutMs},
                                   {INTERNET_OPTION_SEND_TIMEOUT, kHttpSendTimeoutMs},
                                   {INTERNET_OPTION_RECEIVE_TIMEOUT, kHttpReceiveTimeoutMs}};
    for (const DWORD* pdw : adwOptions) {
        DWORD dwMs = pdw[1];
        InternetSetOptionW(hInternet, pdw[0], &dwMs, sizeof(dwMs));
    }
}

// The parts of an http:// or https:// URL a request is made of.
struct CUrlParts {
    bool bSecure = false;
    INTERNET_PORT nPort = 0;
    WString strHost;
    WString strObject;  // path and query
};

bool CrackUrl(const WString& strUrl, CUrlParts& parts)
{
    URL_COMPONENTSW uc = {};
    uc.dwStructSize = sizeof(uc);
    uc.dwHostNameLength = 1;  // non-zero: point into strUrl
    uc.dwUrlPathLength = 1;
    uc.dwExtraInfoLength = 1;
    if (!InternetCrackUrlW(strUrl.c_str(), static_cast<DWORD>(strUrl.size()), 0, &uc))
        return false;
    if ((uc.nScheme != INTERNET_SCHEME_HTTP && uc.nScheme != INTERNET_SCHEME_HTTPS) || !uc.lpszHostName ||
        uc.dwHostNameLength == 0)
        return false;
    parts.bSecure = uc.nScheme == INTERNET_SCHEME_HTTPS;
    parts.nPort = uc.nPort;
    parts.strHost.assign(uc.lpszHostName, uc.dwHostNameLength);
    if (uc.lpszUrlPath)
        parts.strObject.assign(uc.lpszUrlPath, uc.dwUrlPathLength);
    if (parts.strObject.empty())
        parts.strObject = L"/";
    if (uc.lpszExtraInfo)
        parts.strObject.append(uc.lpszExtraInfo, uc.dwExtraInfoLength);
    return true;
}

// Each read asks only for what has arrived (at most 1024 bytes): a read for
// more would wait until that much came, and a server that trickles its body
// could hold it for hours. Waiting for the next bytes is bounded by the
// receive time-out, the whole reading by kHttpReadLimitMs.
std::string ReadBody(HINTERNET hRequest, uint32_t maxBytes)
{
    std::string strBytes;
    const ULONGLONG ullEnd = GetTickCount64() + kHttpReadLimitMs;
    char buf[kReadSize];
    while (strBytes.size() < maxBytes && GetTickCount64() < ullEnd) {
        DWORD dwAvailable = 0;
        if (!InternetQueryDataAvailable(hRequest, &dwAvailable, 0, 0) || dwAvailable == 0)
            break;
        DWORD dwRead = 0;
        if (!InternetReadFile(hRequest, buf, dwAvailable < kReadSize ? dwAvailable : kReadSize, &dwRead) ||
            dwRead == 0)
            break;
        strBytes.append(buf, dwRead);
    }
    return strBytes;
}

} // namespace

bool HttpGet(const WString& strUrl, uint32_t maxBytes, WString& strBody)
{
    strBody.clear();
    CUrlParts parts;
    if (!CrackUrl(strUrl, parts))
        return false;
    CInternetHandle hInternet(InternetOpenW(L"Zandu SMS", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!hInternet)
        return false;
    SetTimeouts(hInternet);
    CInternetHandle hConnect(InternetConnectW(hInternet, parts.strHost.c_str(), parts.nPort, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0));
    if (!hConnect)
        return false;
    CInternetHandle hRequest(HttpOpenRequestW(hConnect, L"GET", parts.strObject.c_str(), nullptr, nullptr, nullptr,
                                              kRequestFlags | (parts.bSecure ? INTERNET_FLAG_SECURE : 0), 0));
    if (!hRequest)
        return false;
    SetTimeouts(hRequest);
    if (!HttpSendRequestW(hRequest, nullptr, 0, nullptr, 0))
        return false;
    strBody = DecodeHttpBody(ReadBody(hRequest, maxBytes));
    return true;
}
