// Instants as the user reads them: the user's own short date and time
// formats and the computer's time zone.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/Text.h"

// "08.12.2026 10:15" in the user's short date and time formats, in local
// time; empty for 0 (no time known).
WString FormatLocalTime(int64_t nUtc);
// A local date and time of the computer's zone as seconds since 1970 UTC;
// 0 when it is no date.
int64_t LocalTimeToUtc(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond);
// A field of the user's locale as the program writes the History's times:
// without the user's overrides (LOCALE_SSHORTDATE, LOCALE_S1159, ...).
WString GetDefaultLocaleText(LCTYPE nType);
