#include "skinning/SkinnedControl.h"

#include <commctrl.h>

#include "win/Dpi.h"

void CSkinnedControl::PaintParentBackground(HDC hDC) const
{
    GetSkin().PaintBackground(hDC, m_nBitmap, GetWindowDpi(m_hWnd), GetRectIn(GetParent()), POINT{0, 0});
}

bool CSkinnedControl::HandleKeyboardCues(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg != WM_SETFOCUS && uMsg != WM_KILLFOCUS && uMsg != WM_UPDATEUISTATE)
        return false;
    lResult = DefWindowProc(uMsg, wParam, lParam);
    Invalidate(false);
    return true;
}

int CSkinnedControl::Scaled(int nPixels) const
{
    return ScaleToDpi(nPixels, GetWindowDpi(m_hWnd));
}

int CSkinnedControl::Metric(int nIndex) const
{
    return GetSystemMetricForDpi(nIndex, GetWindowDpi(m_hWnd));
}

bool CSkinnedControl::HandleHover(UINT uMsg, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_MOUSEMOVE:
        // The first move marks the control hovered; only the leaving is
        // tracked. A hover request would arm a timer of its hover time that
        // some systems keep firing while the pointer rests on the control,
        // and at 1 ms that alone costs several percent of a core.
        if (!m_bTracking) {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, HOVER_DEFAULT};
            m_bTracking = _TrackMouseEvent(&tme) != FALSE;
        }
        if (m_bTracking && !m_bHover) {
            m_bHover = true;
            Invalidate();
        }
        return false;
    case WM_MOUSELEAVE:
        m_bTracking = false;
        m_bHover = false;
        Invalidate();
        lResult = 0;
        return true;
    default:
        return false;
    }
}

COLORREF CSkinnedControl::GetBorderColor(bool bHover) const
{
    const CSkin& skin = GetSkin();
    if (!IsWindowEnabled())
        return skin.GetColor(skin.IsBorderHover() ? SkinColor::SKC_EDIT_BG_DISABLED : SkinColor::SKC_BORDER);
    return skin.GetColor(bHover || !skin.IsBorderHover() ? SkinColor::SKC_BORDER : SkinColor::SKC_EDIT_BG);
}

void CSkinnedControl::FrameRect(HDC hDC, const RECT& rc, COLORREF color)
{
    const CBrushHandle hBrush(CreateSolidBrush(color));
    ::FrameRect(hDC, &rc, hBrush);
}

void CSkinnedControl::FillRect(HDC hDC, const RECT& rc, COLORREF color)
{
    // An opaque ExtTextOutW without text fills with the background colour
    // and needs no brush.
    const COLORREF oldColor = SetBkColor(hDC, color);
    ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(hDC, oldColor);
}

void CSkinnedControl::PaintPrevious(HDC hDC)
{
    DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(hDC), 0);
}
