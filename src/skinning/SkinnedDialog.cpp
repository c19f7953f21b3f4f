#include "skinning/SkinnedDialog.h"

#include <algorithm>

#include "base/Util.h"

namespace {

// Everything that gives a dialog a frame.
const DWORD kFrameStyles = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME;

bool IsEditClass(HWND hWnd)
{
    return _wcsicmp(GetWindowClass(hWnd).c_str(), L"edit") == 0;
}

} // namespace

bool CSkinnedDialog::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    const CSkin& skin = GetSkin();
    switch (uMsg) {
    case WM_INITDIALOG:
        ApplyShape();
        lResult = TRUE;
        return false;
    case WM_PAINT:
        OnPaint();
        lResult = 0;
        return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: {
        const HDC hDC = reinterpret_cast<HDC>(wParam);
        SetTextColor(hDC, skin.GetColor(SkinColor::SKC_EDIT_TEXT));
        SetBkColor(hDC, skin.GetColor(SkinColor::SKC_EDIT_BG));
        lResult = reinterpret_cast<LRESULT>(Brush(false));
        return true;
    }
    case WM_CTLCOLORSTATIC:
        lResult = reinterpret_cast<LRESULT>(OnCtlColorStatic(reinterpret_cast<HDC>(wParam),
                                                             reinterpret_cast<HWND>(lParam)));
        return true;
    case WM_LBUTTONDOWN:
        // On the background: the system moves the window with the mouse
        // until the button is released, as if the caption had been pressed.
        SendMessageW(m_hWnd, WM_NCLBUTTONDOWN, HTCAPTION, 0);
        lResult = 0;
        return false;
    default:
        return false;
    }
}

void CSkinnedDialog::ApplyShape()
{
    const CWindow wnd(m_hWnd);
    wnd.ModifyStyle(kFrameStyles, 0);
    wnd.ModifyStyleEx(WS_EX_CLIENTEDGE, 0);

    const CSkinBitmap& bitmap = GetSkin().GetBitmap(m_nBitmap);
    const RECT rc = wnd.GetWindowRect();
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    if (nWidth < bitmap.GetWidth() || nHeight < bitmap.GetHeight())
        wnd.SetWindowPos(nullptr, 0, 0, std::max(nWidth, bitmap.GetWidth()), std::max(nHeight, bitmap.GetHeight()),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window owns the region from here on.
    SetWindowRgn(m_hWnd, bitmap.CreateRegion(), FALSE);

    wnd.ModifyStyleEx(0, WS_EX_LAYERED);
    SetLayeredWindowAttributes(m_hWnd, 0, static_cast<BYTE>(GetSkin().GetAlpha() * 255 / 100), LWA_ALPHA);

    const HFONT hFont = GetSkin().GetFont();
    for (HWND hChild = GetTopWindow(m_hWnd); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        CWindow(hChild).SetFont(hFont, true);
}

void CSkinnedDialog::OnPaint()
{
    const CPaintDC dc(m_hWnd);
    GetSkin().GetBitmap(m_nBitmap).Draw(dc);
}

HBRUSH CSkinnedDialog::OnCtlColorStatic(HDC hDC, HWND hControl)
{
    const CSkin& skin = GetSkin();
    SetTextColor(hDC, skin.GetColor(SkinColor::SKC_STATIC_TEXT));
    if (!IsWindowEnabled(hControl)) {
        SetBkColor(hDC, skin.GetColor(SkinColor::SKC_EDIT_BG_DISABLED));
        SetBkMode(hDC, OPAQUE);
        return Brush(true);
    }
    SetBkColor(hDC, skin.GetColor(SkinColor::SKC_EDIT_BG));
    SetBkMode(hDC, TRANSPARENT);
    // A read-only edit gets the field's background; a label lets the
    // skin's image show through.
    return IsEditClass(hControl) ? Brush(false) : static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

HBRUSH CSkinnedDialog::Brush(bool bDisabled)
{
    CBrushHandle& hBrush = bDisabled ? m_hEditBgDisabled : m_hEditBg;
    if (!hBrush)
        hBrush.Reset(CreateSolidBrush(GetSkin().GetColor(bDisabled ? SkinColor::SKC_EDIT_BG_DISABLED : SkinColor::SKC_EDIT_BG)));
    return hBrush;
}
