// Small Win32 services: waits, the program's own paths and version, shell
// open, and the system's texts for errors, dates and times.
#pragma once

#include <windows.h>

#include "base/Text.h"
#include "base/ValueEnum.h"

// WaitForMultipleObjects over the handles given; the count follows from them.
DWORD WaitForEventsArray(DWORD dwNumEvents, const HANDLE* phEvents, bool bWaitAll, DWORD dwMilliseconds);
template <class... THandles>
DWORD WaitForEvents(bool bWaitAll, DWORD dwMilliseconds, THandles... hEvents)
{
    const HANDLE ahEvents[] = {hEvents...};
    return WaitForEventsArray(sizeof...(hEvents), ahEvents, bWaitAll, dwMilliseconds);
}

// Every value of an open key, by RegEnumValueW under the rules of EnumValues:
// ERROR_SUCCESS when all were seen, else the error that ended the walk.
DWORD EnumRegValues(HKEY hKey, const FnOnValue& fnOnValue);

// Opens a document or URL with the shell's "open" verb.
bool ShellOpen(const WString& strTarget);

WString GetModulePath();
WString GetModuleFolder();  // ends in a backslash
WString GetSkinFolder();    // the "skin" folder beside the executable, with its backslash
// The program's folder in the user's roaming application data folder
// (%APPDATA%\Zandu SMS\, with its backslash), created when it is missing.
// ERROR_SUCCESS, or why it could not be had.
DWORD GetAppDataFolder(WString& strFolder);

// "major.minor.build" of the executable's file version; empty without one.
WString GetVersionText();

WString GetWindowClass(HWND hWnd);

// The system's message for a Win32 error code, with its own line ending.
WString GetSystemErrorText(DWORD dwError);

// The current local date (short format) and time in the user's default
// locale without user overrides; false when the text is empty.
// GetDateFormatW or GetTimeFormatW in the user's locale; pTime null: now.
// Empty when it fails.
typedef int(WINAPI* PfnFormatTime)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);
WString FormatDateOrTime(PfnFormatTime pfnFormat, DWORD dwFlags, const SYSTEMTIME* pTime);
bool GetDateText(WString& strDate);
bool GetTimeText(WString& strTime);
// Now as a history record's time: the date, a space, the time; empty when
// either cannot be had.
WString GetRecordTimeText();

// The separator of the CSV a spreadsheet of this user reads: the locale's
// list separator when it is ',' or ';', else ';' where the locale writes a
// decimal comma and ',' elsewhere.
WChar GetListSeparator();
