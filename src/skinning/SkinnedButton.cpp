#include "skinning/SkinnedButton.h"

#include <algorithm>

#include "skinning/KeyboardCues.h"
#include "win/MemPaintDC.h"

namespace {

// The face is this high whatever the button's height (at 96 DPI).
const int kFaceHeight = 20;
const int kCornerSize = 5;
// The focus cue lies this far inside the face.
const int kFocusInset = 3;

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
    case BM_SETSTYLE:
        // The dialog makes the focused push button its default one, and
        // gives the default back when the focus leaves it.
        lResult = DefWindowProc(uMsg, wParam, lParam);
        Invalidate(false);
        return true;
    default:
        return HandleKeyboardCues(uMsg, wParam, lParam, lResult) || HandleHover(uMsg, lResult);
    }
}

void CSkinnedButton::OnPaint()
{
    const CMemPaintDC dc(m_hWnd);
    const CSkin& skin = GetSkin();
    const CSelectObject font(dc, GetFont());
    const LRESULT nState = SendMessage(BM_GETSTATE);
    const WString strText = m_pszFace ? WString(m_pszFace) : GetWindowText();
    const bool bEnabled = IsWindowEnabled();
    PaintParentBackground(dc);

    RECT rcFace = dc.ClientRect();
    // At another DPI than 96 the button may grow less than the face would.
    rcFace.bottom = std::min<LONG>(rcFace.bottom, Scaled(kFaceHeight));
    RECT rcText = rcFace;
    if (IsHeldDown(nState))
        OffsetRect(&rcText, 1, 1);

    PaintFace(dc, rcFace, bEnabled);
    const COLORREF textColor = skin.GetColor(bEnabled ? SkinColor::SKC_STATIC_TEXT : SkinColor::SKC_TEXT_DISABLED);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, textColor);
    DrawTextW(dc, strText.c_str(), static_cast<int>(strText.size()), &rcText,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER | GetMnemonicFlag(m_hWnd));
    if (ShowsFocusCue(m_hWnd)) {
        InflateRect(&rcFace, -Scaled(kFocusInset), -Scaled(kFocusInset));
        DrawFocusCue(dc, rcFace, textColor);
    }
}

// The rounded face; its outline shows under the mouse (always with border
// hover off), and always, twice as wide, on the dialog's default button,
// which Enter presses.
void CSkinnedButton::PaintFace(HDC hDC, const RECT& rcFace, bool bEnabled) const
{
    const CSkin& skin = GetSkin();
    const bool bDefault = (GetStyle() & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    const CBrushHandle hFace(CreateSolidBrush(skin.GetColor(bEnabled ? SkinColor::SKC_BUTTON_BG : SkinColor::SKC_BUTTON_BG_DISABLED)));
    const bool bOutline = m_bHover || !skin.IsBorderHover() || bDefault;
    const COLORREF border = skin.GetColor(SkinColor::SKC_BORDER);
    const CPenHandle hPen(CreatePen(bOutline ? PS_SOLID : PS_NULL, 1, border));
    const int nCorner = Scaled(kCornerSize);
    const CSelectObject brush(hDC, hFace);
    const CSelectObject pen(hDC, hPen);
    RoundRect(hDC, rcFace.left, rcFace.top, rcFace.right, rcFace.bottom, nCorner, nCorner);
    if (bDefault) {
        const CSelectObject hollow(hDC, GetStockObject(NULL_BRUSH));
        RoundRect(hDC, rcFace.left + 1, rcFace.top + 1, rcFace.right - 1, rcFace.bottom - 1, nCorner, nCorner);
    }
}
