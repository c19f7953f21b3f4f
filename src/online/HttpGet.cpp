#include "online/HttpGet.h"

#include <string>
#include <vector>

#include "online/HttpBody.h"
#include "online/InternetHandle.h"
#include "base/Trace.h"
#include "online/ServerUrl.h"

namespace {

const DWORD kReadSize = 1024;
// No redirect is followed: WinInet (Wine's at least) would follow one from
// https:// to http://, and the server's endpoints are fixed paths that have
// no need of one. A 3xx is an answer like any other that is no 2xx. No flag
// that ignores a certificate error is ever set: such an error fails the
// request. Nothing is kept on the disk (a feedback's URL holds its text and
// e-mail address) and no cookie is stored or sent, so no server can link
// one anonymous request to the next.
const DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT |
                            INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_COOKIES;

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

// Bytes that are no HTTP reply WinInet takes for HTTP/0.9 and gives the
// status 200, with a status line of its own and no header field: a reply
// counts only with a status line and at least one header field (every web
// server sends some: Date, Content-Length, Server, ...).
bool IsHttpReply(HINTERNET hRequest)
{
    DWORD dwSize = 0;
    HttpQueryInfoW(hRequest, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &dwSize, nullptr);
    if (dwSize == 0)
        return false;
    std::vector<wchar_t> buf(dwSize / sizeof(wchar_t) + 1, L'\0');
    if (!HttpQueryInfoW(hRequest, HTTP_QUERY_RAW_HEADERS_CRLF, buf.data(), &dwSize, nullptr))
        return false;
    const std::wstring strHeaders = buf.data();
    const size_t nLineEnd = strHeaders.find(L"\r\n");
    return strHeaders.compare(0, 5, L"HTTP/") == 0 && nLineEnd != std::wstring::npos &&
           strHeaders.find_first_not_of(L"\r\n", nLineEnd) != std::wstring::npos;
}

DWORD QueryStatus(HINTERNET hRequest)
{
    if (!IsHttpReply(hRequest))
        return 0;
    DWORD dwStatus = 0, dwSize = sizeof(dwStatus);
    if (!HttpQueryInfoW(hRequest, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &dwStatus, &dwSize, nullptr))
        return 0;
    return dwStatus;
}

} // namespace

// One request and what it brought, shared by the worker that waits for it
// and the thread that makes it, so that either may be the last to let go.
struct CHttpCall {
    CHttpCall(const WString& strUrlIn, uint32_t maxBytesIn)
        : strUrl(strUrlIn), maxBytes(maxBytesIn), hDone(CreateManualEvent())
    {
    }

    // Registers the handle the request's calls run on; false once aborted.
    bool Attach(HINTERNET h)
    {
        CLock lock(csRequest);
        hRequest = h;
        return !bAborted;
    }
    // True when an abort closed the handle, which must then not be closed again.
    bool Detach()
    {
        CLock lock(csRequest);
        hRequest = nullptr;
        return bAborted && bClosed;
    }
    void Abort()
    {
        CLock lock(csRequest);
        bAborted = true;
        if (hRequest && !bClosed)
            bClosed = InternetCloseHandle(hRequest) != FALSE;
    }

    const WString strUrl;
    const uint32_t maxBytes;
    // Written by the thread that makes the request, before it sets hDone.
    bool bOk = false;
    DWORD dwStatus = 0;
    WString strBody;
    CHandle hDone;

private:
    CCriticalSection csRequest;  // guards the three below
    HINTERNET hRequest = nullptr;
    bool bAborted = false;
    bool bClosed = false;
};

namespace {

void MakeRequest(CHttpCall& call)
{
    CUrlParts parts;
    // Plain http only to this machine, whoever asks (see ServerUrl).
    if (!CrackUrl(call.strUrl, parts) || (!parts.bSecure && !IsLoopbackHost(parts.strHost)))
        return;
    CInternetHandle hInternet(InternetOpenW(L"Zandu SMS", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!hInternet)
        return;
    SetTimeouts(hInternet);
    CInternetHandle hConnect(InternetConnectW(hInternet, parts.strHost.c_str(), parts.nPort, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0));
    if (!hConnect)
        return;
    CInternetHandle hRequest(HttpOpenRequestW(hConnect, L"GET", parts.strObject.c_str(), nullptr, nullptr, nullptr,
                                              kRequestFlags | (parts.bSecure ? INTERNET_FLAG_SECURE : 0), 0));
    if (!hRequest)
        return;
    if (call.Attach(hRequest)) {
        SetTimeouts(hRequest);
        if (HttpSendRequestW(hRequest, nullptr, 0, nullptr, 0)) {
            call.dwStatus = QueryStatus(hRequest);
            call.strBody = DecodeHttpBody(ReadBody(hRequest, call.maxBytes));
            call.bOk = true;
        }
    }
    if (call.Detach())
        hRequest.Release();
}

DWORD WINAPI CallProc(LPVOID pParam)
{
    const std::unique_ptr<std::shared_ptr<CHttpCall>> ppCall(static_cast<std::shared_ptr<CHttpCall>*>(pParam));
    CALL_CATCHING(MakeRequest(**ppCall));  // a request that throws has failed, and its waiter is told
    SetEvent((*ppCall)->hDone);
    return 0;
}

// Makes the request on a thread of its own, so that the caller can stop
// waiting for it, and waits for it or the abort; false when the abort came
// first.
bool WaitForCall(const std::shared_ptr<CHttpCall>& pCall, HANDLE hAborted)
{
    std::unique_ptr<std::shared_ptr<CHttpCall>> ppCall(new std::shared_ptr<CHttpCall>(pCall));
    CHandle hThread(CreateThread(nullptr, 0, &CallProc, ppCall.get(), 0, nullptr));
    if (!hThread) {
        MakeRequest(*pCall);  // then only closing its handle can end it early
        return true;
    }
    ppCall.release();  // the thread's now
    const HANDLE ahEvents[] = {pCall->hDone.Get(), hAborted};
    return WaitForMultipleObjects(2, ahEvents, FALSE, INFINITE) == WAIT_OBJECT_0;
}

} // namespace

CHttpAbort::CHttpAbort() : m_hAborted(CreateManualEvent()) {}

CHttpAbort::~CHttpAbort() = default;

void CHttpAbort::Abort()
{
    SetEvent(m_hAborted);
    CLock lock(m_cs);
    if (m_pCall)
        m_pCall->Abort();
}

bool CHttpAbort::Begin(const std::shared_ptr<CHttpCall>& pCall)
{
    CLock lock(m_cs);
    m_pCall = pCall;
    return !IsAborted();
}

void CHttpAbort::End()
{
    CLock lock(m_cs);
    m_pCall.reset();
}

bool HttpGet(const WString& strUrl, uint32_t maxBytes, WString& strBody)
{
    DWORD dwStatus = 0;
    return HttpGet(strUrl, maxBytes, strBody, dwStatus, nullptr);
}

bool HttpGet(const WString& strUrl, uint32_t maxBytes, WString& strBody, DWORD& dwStatus, CHttpAbort* pAbort)
{
    strBody.clear();
    dwStatus = 0;
    const std::shared_ptr<CHttpCall> pCall = std::make_shared<CHttpCall>(strUrl, maxBytes);
    if (!pAbort) {
        MakeRequest(*pCall);
    } else {
        const bool bStarted = pAbort->Begin(pCall);
        const bool bDone = bStarted && WaitForCall(pCall, pAbort->m_hAborted);
        pAbort->End();
        if (!bDone || pAbort->IsAborted())
            return false;
    }
    dwStatus = pCall->dwStatus;
    strBody = pCall->strBody;
    return pCall->bOk;
}
