#include "win/LocalTime.h"

#include <vector>

namespace {

// Between FILETIME's 1601 and 1970, in 100 ns.
const int64_t kUnixEpoch = 116444736000000000LL;
const int64_t kTicksPerSecond = 10000000;

typedef int(WINAPI* PfnFormat)(LPCWSTR, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

WString FormatWith(PfnFormat pfnFormat, DWORD dwFlags, const SYSTEMTIME& time)
{
    const int n = pfnFormat(LOCALE_NAME_USER_DEFAULT, dwFlags, &time, nullptr, nullptr, 0);
    if (n <= 0)
        return WString();
    std::vector<wchar_t> buf(static_cast<size_t>(n));
    return pfnFormat(LOCALE_NAME_USER_DEFAULT, dwFlags, &time, nullptr, buf.data(), n) > 0 ? WString(buf.data())
                                                                                          : WString();
}

// GetDateFormatEx has a last argument more than GetTimeFormatEx.
int WINAPI FormatDate(LPCWSTR pszLocale, DWORD dwFlags, const SYSTEMTIME* pTime, LPCWSTR pszFormat, LPWSTR pszOut,
                      int cchOut)
{
    return GetDateFormatEx(pszLocale, dwFlags, pTime, pszFormat, pszOut, cchOut, nullptr);
}

} // namespace

WString FormatLocalTime(int64_t nUtc)
{
    if (nUtc <= 0)
        return WString();
    const uint64_t nTicks = static_cast<uint64_t>(nUtc * kTicksPerSecond + kUnixEpoch);
    FILETIME utc = {static_cast<DWORD>(nTicks), static_cast<DWORD>(nTicks >> 32)};
    SYSTEMTIME system = {}, local = {};
    if (!FileTimeToSystemTime(&utc, &system) || !SystemTimeToTzSpecificLocalTime(nullptr, &system, &local))
        return WString();
    return FormatWith(FormatDate, DATE_SHORTDATE, local) + WSTR(" ") + FormatWith(GetTimeFormatEx, 0, local);
}

int64_t LocalTimeToUtc(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond)
{
    SYSTEMTIME local = {static_cast<WORD>(nYear), static_cast<WORD>(nMonth), 0, static_cast<WORD>(nDay),
                        static_cast<WORD>(nHour), static_cast<WORD>(nMinute), static_cast<WORD>(nSecond), 0};
    SYSTEMTIME system = {};
    FILETIME utc = {};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &system) || !SystemTimeToFileTime(&system, &utc))
        return 0;
    const int64_t nTicks = static_cast<int64_t>((static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime);
    return (nTicks - kUnixEpoch) / kTicksPerSecond;
}

WString GetDefaultLocaleText(LCTYPE nType)
{
    wchar_t szText[128] = {};
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, nType | LOCALE_NOUSEROVERRIDE, szText, 128) > 0 ? WString(szText)
                                                                                             : WString();
}
