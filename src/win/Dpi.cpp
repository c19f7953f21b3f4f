#include "win/Dpi.h"

#include "base/Raii.h"

namespace {

// Windows 10 version 1607 and later; looked up once, absent before.
template <class TFunction>
TFunction FindUser32(const char* pszName)
{
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), pszName)));
}

using FnGetDpiForWindow = UINT(WINAPI*)(HWND);
using FnGetSystemMetricsForDpi = int(WINAPI*)(int, UINT);

// The letters the dialog manager averages for a font's width.
const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

} // namespace

UINT GetWindowDpi(HWND hWnd)
{
    static const FnGetDpiForWindow pfnGetDpiForWindow = FindUser32<FnGetDpiForWindow>("GetDpiForWindow");
    const UINT nDpi = pfnGetDpiForWindow && hWnd ? pfnGetDpiForWindow(hWnd) : 0;
    if (nDpi)
        return nDpi;
    const int nSystem = GetDeviceCaps(CWindowDC(), LOGPIXELSY);
    return nSystem > 0 ? static_cast<UINT>(nSystem) : kDefaultDpi;
}

int GetSystemMetricForDpi(int nIndex, UINT nDpi)
{
    static const FnGetSystemMetricsForDpi pfnForDpi = FindUser32<FnGetSystemMetricsForDpi>("GetSystemMetricsForDpi");
    return pfnForDpi ? pfnForDpi(nIndex, nDpi) : GetSystemMetrics(nIndex);
}

SIZE GetFontBaseUnits(HFONT hFont)
{
    const CWindowDC dc;
    const CSelectObject font(dc, hFont);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    SIZE size = {};
    GetTextExtentPoint32W(dc, kAlphabet, 52, &size);
    return SIZE{(size.cx / 26 + 1) / 2, tm.tmHeight};
}
