#include "win/LocalTime.h"

#include "base/Util.h"

namespace {

// Between FILETIME's 1601 and 1970, in 100 ns.
const int64_t kUnixEpoch = 116444736000000000LL;
const int64_t kTicksPerSecond = 10000000;

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
    return FormatDateOrTime(GetDateFormatW, DATE_SHORTDATE, &local) + WSTR(" ") +
           FormatDateOrTime(GetTimeFormatW, 0, &local);
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
