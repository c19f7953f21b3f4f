#include "ui/WindowPosition.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/AtomicFile.h"
#include "base/Trace.h"
#include "base/Util.h"

namespace {

const long kFarthest = 100000;  // no screen lies farther from the main one

// Empty without a data folder: nothing is kept then.
WString GetPositionPath()
{
    WString strFolder;
    return GetAppDataFolder(strFolder) == ERROR_SUCCESS ? strFolder + L"window.txt" : WString();
}

// "left,top", each a whole number that may be negative (a screen left of
// or above the main one); anything else is no position.
bool ParsePosition(const std::string& strText, POINT& pt)
{
    const char* psz = strText.c_str();
    char* pszEnd = nullptr;
    const long x = std::strtol(psz, &pszEnd, 10);
    if (pszEnd == psz || *pszEnd != ',')
        return false;
    psz = pszEnd + 1;
    const long y = std::strtol(psz, &pszEnd, 10);
    if (pszEnd == psz || *pszEnd != '\0' || std::labs(x) > kFarthest || std::labs(y) > kFarthest)
        return false;
    pt = POINT{x, y};
    return true;
}

} // namespace

bool RestoreWindowPosition(HWND hWnd)
{
    const WString strPath = GetPositionPath();
    std::string strText, strError;
    POINT pt = {};
    if (strPath.empty() || ReadWholeFile(strPath, strText, strError) != EFileRead::FILE_READ_OK ||
        !ParsePosition(strText, pt))
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
    const WString strPath = GetPositionPath();
    RECT rc = {};
    std::string strError;
    if (strPath.empty() || IsIconic(hWnd) || !GetWindowRect(hWnd, &rc))
        return;
    if (!WriteFileAtomically(strPath, std::to_string(rc.left) + "," + std::to_string(rc.top), strError))
        TRACE_PAIR("The window's position is not kept: %s\n", strError.c_str());
}
