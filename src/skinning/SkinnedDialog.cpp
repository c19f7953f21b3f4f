#include "skinning/SkinnedDialog.h"

#include <algorithm>
#include <cstdlib>

#include "base/Util.h"
#include "win/Dpi.h"

namespace {

// Everything that gives a dialog a frame.
const DWORD kFrameStyles = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_MODALFRAME;

bool IsEditClass(HWND hWnd)
{
    return _wcsicmp(GetWindowClass(hWnd).c_str(), L"edit") == 0;
}

// Posted to the dialog itself after the system has handled a change of DPI
// (it places the controls anew): the bitmap and outline follow then.
UINT GetDpiAppliedMessage()
{
    static const UINT uMessage = RegisterWindowMessageW(L"ZanduSMS.SkinDpiChanged");
    return uMessage;
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
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return false;
    case WM_SETTINGCHANGE:
        if (wParam == SPI_SETHIGHCONTRAST)
            OnColorsChanged();
        return false;
    case WM_SYSCOLORCHANGE:
        OnColorsChanged();
        return false;
    default:
        if (uMsg == GetDpiAppliedMessage() && wParam == m_nDpi)
            ApplyDpi();
        return false;
    }
}

void CSkinnedDialog::ApplyShape()
{
    const CWindow wnd(m_hWnd);
    wnd.ModifyStyle(kFrameStyles, 0);
    wnd.ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    m_nDpi = GetWindowDpi(m_hWnd);
    const HFONT hDialogFont = wnd.GetFont();
    if (hDialogFont && GetObjectW(hDialogFont, sizeof(m_lfDialog), &m_lfDialog))
        m_nDialogPoints = MulDiv(std::abs(m_lfDialog.lfHeight), 72, static_cast<int>(m_nDpi));
    ApplyDpi();
}

void CSkinnedDialog::ApplyDpi()
{
    CSkin& skin = GetSkin();
    const CSkinBitmap& loaded = skin.GetBitmap(m_nBitmap);
    const CSkinBitmap& bitmap =
        m_nDpi == kDefaultDpi ? loaded : skin.ScaleBitmap(m_nBitmap, m_nDpi, GetScaledSize(loaded));
    const CWindow wnd(m_hWnd);
    const RECT rc = wnd.GetWindowRect();
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    if (nWidth < bitmap.GetWidth() || nHeight < bitmap.GetHeight())
        wnd.SetWindowPos(nullptr, 0, 0, std::max(nWidth, bitmap.GetWidth()), std::max(nHeight, bitmap.GetHeight()),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window owns the region from here on.
    SetWindowRgn(m_hWnd, bitmap.CreateRegion(), FALSE);
    wnd.ModifyStyleEx(0, WS_EX_LAYERED);
    ApplyOpacity();
    const HFONT hFont = skin.GetFont(m_nDpi);
    for (HWND hChild = GetTopWindow(m_hWnd); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        CWindow(hChild).SetFont(hFont, true);
}

SIZE CSkinnedDialog::GetScaledSize(const CSkinBitmap& bitmap) const
{
    const SIZE now = GetBaseUnits(m_nDpi);
    const SIZE at96 = GetBaseUnits(kDefaultDpi);
    if (at96.cx <= 0 || at96.cy <= 0)
        return SIZE{ScaleToDpi(bitmap.GetWidth(), m_nDpi), ScaleToDpi(bitmap.GetHeight(), m_nDpi)};
    return SIZE{MulDiv(bitmap.GetWidth(), now.cx, at96.cx), MulDiv(bitmap.GetHeight(), now.cy, at96.cy)};
}

// Measured as the dialog manager measures its font, made at that DPI.
SIZE CSkinnedDialog::GetBaseUnits(UINT nDpi) const
{
    if (m_nDialogPoints <= 0)
        return SIZE{};
    LOGFONTW lf = m_lfDialog;
    lf.lfHeight = -MulDiv(m_nDialogPoints, static_cast<int>(nDpi), 72);
    const CFontHandle hFont(CreateFontIndirectW(&lf));
    return hFont ? GetFontBaseUnits(hFont) : SIZE{};
}

void CSkinnedDialog::ApplyOpacity() const
{
    SetLayeredWindowAttributes(m_hWnd, 0, static_cast<BYTE>(GetSkin().GetAlpha() * 255 / 100), LWA_ALPHA);
}

// The window takes the rectangle the system suggests; once the system has
// placed the controls for the new DPI, the bitmap and outline follow.
void CSkinnedDialog::OnDpiChanged(UINT nDpi, const RECT& rcSuggested)
{
    m_nDpi = nDpi;
    SetWindowPos(m_hWnd, nullptr, rcSuggested.left, rcSuggested.top, rcSuggested.right - rcSuggested.left,
                 rcSuggested.bottom - rcSuggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageW(m_hWnd, GetDpiAppliedMessage(), nDpi, 0);
}

// High contrast switched, or the system's colours changed: the controls are
// told (the list views take their colours again) and everything is drawn anew.
void CSkinnedDialog::OnColorsChanged()
{
    GetSkin().UpdateHighContrast();
    m_hEditBg.Reset();
    m_hEditBgDisabled.Reset();
    ApplyOpacity();
    for (HWND hChild = GetTopWindow(m_hWnd); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        SendMessageW(hChild, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CSkinnedDialog::OnPaint()
{
    const CPaintDC dc(m_hWnd);
    GetSkin().PaintBackground(dc, m_nBitmap, m_nDpi, CWindow(m_hWnd).GetClientRect(), POINT{0, 0});
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
