#include "ui/WindowPosition.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "base/AppSettings.h"

namespace {

// "left,top", each a whole number that may be negative (a screen left of
// or above the main one); anything else is no position.
bool ParsePosition(const WString& strValue, POINT& pt)
{
    const wchar_t* psz = strValue.c_str();
    wchar_t* pszEnd = nullptr;
    const long x = wcstol(psz, &pszEnd, 10);
    if (pszEnd == psz || *pszEnd != L',')
        return false;
    psz = pszEnd + 1;
    const long y = wcstol(psz, &pszEnd, 10);
    if (pszEnd == psz || *pszEnd != L'\0' || x < -100000 || x > 100000 || y < -100000 || y > 100000)
        return false;
    pt = POINT{x, y};
    return true;
}

} // namespace

bool RestoreWindowPosition(HWND hWnd)
{
    POINT pt = {};
    if (!ParsePosition(CAppSettings(GetUserSettingsKey()).Read(ETextSetting::WINDOW_POSITION), pt))
        return false;
    RECT rc = {};
    GetWindowRect(hWnd, &rc);
    OffsetRect(&rc, pt.x - rc.left, pt.y - rc.top);
    const HMONITOR hMonitor = MonitorFromRect(&rc, MONITOR_DEFAULTTONULL);
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!hMonitor || !GetMonitorInfoW(hMonitor, &info))
        return false;
    const RECT& rcWork = info.rcWork;
    // Inside the work area; the top-left corner wins when the window is larger.
    const LONG x = std::max(rcWork.left, std::min(rc.left, rcWork.right - (rc.right - rc.left)));
    const LONG y = std::max(rcWork.top, std::min(rc.top, rcWork.bottom - (rc.bottom - rc.top)));
    return SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

// Minimised, the window stands nowhere the user chose.
void SaveWindowPosition(HWND hWnd)
{
    RECT rc = {};
    if (IsIconic(hWnd) || !GetWindowRect(hWnd, &rc))
        return;
    CAppSettings(GetUserSettingsKey())
        .Write(ETextSetting::WINDOW_POSITION, std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top));
}
