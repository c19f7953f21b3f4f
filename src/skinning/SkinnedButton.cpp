#include "skinning/SkinnedButton.h"

#include "win/MemPaintDC.h"

namespace {

// The face is this high whatever the button's height.
const int kFaceHeight = 20;
const int kCornerSize = 5;

// The states a button reports while it is held down: pushed alone, or with
// the focus and the pressed and hot bits.
bool IsHeldDown(LRESULT nState)
{
    return nState == 0x0004 || nState == 0x006C || nState == 0x026C;
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

    const CBrushHandle hFace(CreateSolidBrush(skin.GetColor(bEnabled ? SKC_BUTTON_BG : SKC_BUTTON_BG_DISABLED)));
    const bool bOutline = m_bHover || !skin.IsBorderHover();
    const CPenHandle hPen(CreatePen(bOutline ? PS_SOLID : PS_NULL, 1, skin.GetColor(SKC_BORDER)));
    {
        const CSelectObject brush(dc, hFace);
        const CSelectObject pen(dc, hPen);
        RoundRect(dc, rcFace.left, rcFace.top, rcFace.right, rcFace.bottom, kCornerSize, kCornerSize);
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, skin.GetColor(bEnabled ? SKC_STATIC_TEXT : SKC_TEXT_DISABLED));
    DrawTextW(dc, strText.c_str(), static_cast<int>(strText.size()), &rcText, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
}
