// The one way the program reaches the network: a blocking HTTP(S) GET on
// WinInet, direct (no proxy), never from or into the cache, without cookies
// or any dialog, following no redirect. https:// to any host, http:// only to this machine
// (IsLoopbackHost); a certificate WinInet does not trust fails the request.
// Call it from worker threads only.
//
// Errors in this layer: a request gives false (and its status code), a reply
// that cannot be read gives no result; a failure is traced, never shown, and
// nothing throws out of a worker.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/Raii.h"
#include "base/Text.h"

// Connecting, sending the request and each wait for the answer give up after
// these; reading the body stops after kHttpReadLimitMs in all. So no request,
// however the server behaves, holds its caller for long.
const DWORD kHttpConnectTimeoutMs = 5000;
const DWORD kHttpSendTimeoutMs = 5000;
const DWORD kHttpReceiveTimeoutMs = 5000;
const DWORD kHttpReadLimitMs = 10000;
// A server that trickles its headers, a byte now and then, or a name that
// takes long to resolve, escapes those time-outs: at exit the program waits
// this long for the requests in progress and then aborts them.
const DWORD kHttpExitWaitMs = 2000;

// Empties strBody, requests strUrl and reads the body in reads of up to 1024
// bytes until one fails or brings nothing, or the bytes gathered reach
// maxBytes (0: the response is opened, nothing is read). The bytes are
// converted once at the end (see DecodeHttpBody), so a character split
// between two reads arrives whole. True when the request was sent and a
// response arrived, whatever its status and whatever happened while reading;
// false when the URL could not be opened or is plain http to another host
// (strBody stays empty).
bool HttpGet(const WString& strUrl, uint32_t maxBytes, WString& strBody);

struct CHttpCall;

// Lets another thread end the requests a worker makes through it.
class CHttpAbort {
public:
    CHttpAbort();
    ~CHttpAbort();
    CHttpAbort(const CHttpAbort&) = delete;
    CHttpAbort& operator=(const CHttpAbort&) = delete;

    // Any thread. The request in progress returns false at once, and so does
    // every later one. Its handle is closed, which makes a pending WinInet
    // call return where WinInet allows that; where it does not (Wine goes on
    // reading a trickle of headers), the worker stops waiting for the call,
    // which ends by itself later without touching anything of the worker's.
    void Abort();
    bool IsAborted() const { return WaitForSingleObject(m_hAborted, 0) == WAIT_OBJECT_0; }

private:
    friend bool HttpGet(const WString&, uint32_t, WString&, DWORD&, CHttpAbort*);
    bool Begin(const std::shared_ptr<CHttpCall>& pCall);
    void End();

    CHandle m_hAborted;
    CCriticalSection m_cs;  // guards m_pCall
    std::shared_ptr<CHttpCall> m_pCall;  // the request in progress
};

// The same with the response's HTTP status in dwStatus (0 when no response
// arrived), and, with pAbort, a request that the abort ends.
bool HttpGet(const WString& strUrl, uint32_t maxBytes, WString& strBody, DWORD& dwStatus, CHttpAbort* pAbort);

inline bool IsHttpSuccess(DWORD dwStatus)
{
    return dwStatus >= 200 && dwStatus <= 299;
}
