// The maker's server: one base URL for the update check, the download page
// and the reports. The build names it (the CMake cache value ZANDU_SERVER);
// the string setting "Server" puts another in its place, for tests and for
// organisations that host the endpoints themselves.
//
// Nothing leaves the machine in plain text: what the user types, the e-mail
// address and the update notice would otherwise be open to anyone on the way
// (a cafe's network) to read or rewrite. So a server is used over https://,
// and over http:// only when it is this machine itself (the tests, run.sh, a
// local proxy).
#pragma once

#include "base/Text.h"

extern const WChar kUpdateCheckPath[];  // "/ZanduSMS/updatecheck.php"
extern const WChar kDownloadPath[];     // "/ZanduSMS/download.php"
extern const WChar kReportPath[];       // "/input.php"

// The base URL the build names.
WString GetBuiltInServer();

// True for "http://" or "https://" (any case) followed by a host (a name, or
// an IPv6 address in brackets), optionally a port (1 to 65535) and a path; no
// query, fragment, blank or control character.
bool IsServerUrl(const WString& strUrl);

// A host that is this machine: "localhost" (any case), an IPv4 address of
// 127.0.0.0/8 in dotted decimal (no leading zeros, which some readers take
// for octal), or "::1" (with or without its brackets). Any other spelling
// counts as another host, which is the safe side.
bool IsLoopbackHost(const WString& strHost);

// A server URL the program may use: https:// to any host, http:// only to a
// loopback host.
bool IsPermittedServer(const WString& strUrl);

// Why a server URL of the right form is not used ("http:// ..."); empty when
// it is permitted or of no server form at all (then it is simply absent).
WString GetServerRefusal(const WString& strUrl);

// The path on strSetting when that is a permitted server URL, otherwise on
// the built-in server when that is permitted (so a malformed or refused
// setting counts as absent), otherwise empty: no server, nothing is sent.
// Slashes at the end of the base are dropped, so "https://host/" and
// "https://host" are the same server.
WString MakeServerUrl(const WString& strSetting, const WString& strPath);

#if defined(_WIN32)
// The same with the "Server" setting as it is at this moment. A setting (or
// built-in server) refused for plain http is reported once per value.
WString GetServerUrl(const WString& strPath);
#endif
