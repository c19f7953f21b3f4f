#include "skinning/SkinnedButton.h"

#include "win/MemPaintDC.h"

namespace {

// The face is this high whatever the button's height.
const int kFaceHeight = 20;
const int kCornerSize = 5;

// Two bits of BM_GETSTATE that the headers do not name: the control sets
// them while the mouse button is held down on it.
const LRESULT kStateMouseCaptured = 0x0020;
const LRESULT kStateMouseDown = 0x0040;
// BST_HOT, which not every SDK's headers declare: the mouse is over it.
const LRESULT kStateHot = 0x0200;
// Held by the mouse: pushed, focused, with the two bits above.
const LRESULT kHeldByMouse = BST_PUSHED | BST_FOCUS | kStateMouseCaptured | kStateMouseDown;

// The states a button reports while it is held down: pushed alone (the
// space bar, BM_SETSTATE), or held by the mouse, with or without the hot bit.
bool IsHeldDown(LRESULT nState)
{
    return nState == BST_PUSHED || nState == kHeldByMouse || nState == (kHeldByMouse | kStateHot);
}

} // namespace

bool CSkinnedButton::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_PAINT:
        OnPaint();
        lResult = 0;
        return true;
    case WM_SETTEXT:
        // The control draws its new caption in the system's look at once;
        // the skinned face goes over it straight away.
        lResult = DefWindowProc(uMsg, wParam, lParam);
        Invalidate();
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
        return true;
    default:
        return HandleHover(uMsg, lResult);
    }
}

void CSkinnedButton::OnPaint()
{
    const CMemPaintDC dc(m_hWnd);
    const CSkin& skin = GetSkin();
    const CSelectObject font(dc, GetFont());
    const LRESULT nState = SendMessage(BM_GETSTATE);
    const WString strText = GetWindowText();
    const bool bEnabled = IsWindowEnabled();
    PaintParentBackground(dc);

    RECT rcFace = dc.ClientRect();
    rcFace.bottom = kFaceHeight;
    RECT rcText = rcFace;
    if (IsHeldDown(nState))
        OffsetRect(&rcText, 1, 1);

    const CBrushHandle hFace(CreateSolidBrush(skin.GetColor(bEnabled ? SkinColor::SKC_BUTTON_BG : SkinColor::SKC_BUTTON_BG_DISABLED)));
    const bool bOutline = m_bHover || !skin.IsBorderHover();
    const CPenHandle hPen(CreatePen(bOutline ? PS_SOLID : PS_NULL, 1, skin.GetColor(SkinColor::SKC_BORDER)));
    {
        const CSelectObject brush(dc, hFace);
        const CSelectObject pen(dc, hPen);
        RoundRect(dc, rcFace.left, rcFace.top, rcFace.right, rcFace.bottom, kCornerSize, kCornerSize);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, skin.GetColor(bEnabled ? SkinColor::SKC_STATIC_TEXT : SkinColor::SKC_TEXT_DISABLED));
    DrawTextW(dc, strText.c_str(), static_cast<int>(strText.size()), &rcText, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
