#include "skinning/KeyboardCues.h"

namespace {

LRESULT QueryUiState(HWND hWnd)
{
    return SendMessageW(hWnd, WM_QUERYUISTATE, 0, 0);
}

} // namespace

bool ShowsFocusCue(HWND hWnd)
{
    return GetFocus() == hWnd && !(QueryUiState(hWnd) & UISF_HIDEFOCUS);
}

UINT GetMnemonicFlag(HWND hWnd)
{
    return QueryUiState(hWnd) & UISF_HIDEACCEL ? DT_HIDEPREFIX : 0;
}

void DrawFocusCue(HDC hDC, const RECT& rc, COLORREF color)
{
    if (rc.right - rc.left < 2 || rc.bottom - rc.top < 2)
        return;
    for (LONG x = rc.left; x < rc.right; x += 2) {
        SetPixelV(hDC, x, rc.top, color);
        SetPixelV(hDC, x, rc.bottom - 1, color);
    }
    for (LONG y = rc.top; y < rc.bottom; y += 2) {
        SetPixelV(hDC, rc.left, y, color);
        SetPixelV(hDC, rc.right - 1, y, color);
    }
}
