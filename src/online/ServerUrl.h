// The maker's server: one base URL for the update check, the download page
// and the reports. The build names it (the CMake cache value ZANDU_SERVER);
// the string setting "Server" puts another in its place, for tests and for
// organisations that host the endpoints themselves.
#pragma once

#include "base/Text.h"

extern const WChar kUpdateCheckPath[];  // "/ZanduSMS/updatecheck.php"
extern const WChar kDownloadPath[];     // "/ZanduSMS/download.php"
extern const WChar kReportPath[];       // "/input.php"

// The base URL the build names.
WString GetBuiltInServer();

// True for "http://" or "https://" (any case) followed by a host, optionally a
// port (1 to 65535) and a path; no query, fragment, blank or control character.
bool IsServerUrl(const WString& strUrl);

// The path on strSetting when that is a server URL, otherwise on the built-in
// server (so a malformed setting counts as absent). Slashes at the end of the
// base are dropped, so "http://host/" and "http://host" are the same server.
WString MakeServerUrl(const WString& strSetting, const WString& strPath);

#if defined(_WIN32)
// The same with the "Server" setting as it is at this moment.
WString GetServerUrl(const WString& strPath);
#endif
