// The one way the program reaches the network: a blocking HTTP(S) GET on
// WinInet, direct (no proxy), never from the cache, without any dialog. Call
// it from worker threads only.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/Text.h"

// Connecting, sending the request and each wait for the answer give up after
// these; reading the body stops after kReadLimitMs in all. So no request,
// however the server behaves, holds its caller for long.
const DWORD kHttpConnectTimeoutMs = 5000;
const DWORD kHttpSendTimeoutMs = 5000;
const DWORD kHttpReceiveTimeoutMs = 5000;
const DWORD kHttpReadLimitMs = 10000;

// Empties strBody, requests strUrl and reads the body in reads of up to 1024
// bytes until one fails or brings nothing, or the bytes gathered reach
// maxBytes (0: the response is opened, nothing is read). The bytes are
// converted once at the end (see DecodeHttpBody), so a character split
// between two reads arrives whole. True when the request was sent and a
// response arrived, whatever its status and whatever happened while reading;
// false when the URL could not be opened (strBody stays empty).
bool HttpGet(const WString& strUrl, uint32_t maxBytes, WString& strBody);
