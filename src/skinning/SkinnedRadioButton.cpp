#include "skinning/SkinnedRadioButton.h"

#include <algorithm>

#include "skinning/KeyboardCues.h"
#include "win/MemPaintDC.h"

bool CSkinnedRadioButton::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg != WM_PAINT)
        return HandleKeyboardCues(uMsg, wParam, lParam, lResult);
    OnPaint();
    lResult = 0;
    return true;
}

void CSkinnedRadioButton::OnPaint()
{
    const CMemPaintDC dc(m_hWnd);
    const CSkin& skin = GetSkin();
    PaintParentBackground(dc);
    const RECT rcClient = dc.ClientRect();
    const int nBox = Metric(SM_CXSMSIZE);

    // The caption right of the circle, in StaticText also when disabled.
    RECT rcText = rcClient;
    rcText.left += nBox + 1;
    PaintCaption(dc, rcText);

    const int nSide = std::min<int>(rcClient.bottom - rcClient.top, std::max(nBox, Metric(SM_CYSMSIZE)));
    RECT rcCircle = {rcClient.left, rcClient.top, rcClient.left + nSide, rcClient.top + nSide};
    InflateRect(&rcCircle, -Scaled(2), -Scaled(2));
    const CPenHandle hPen(CreatePen(PS_SOLID, 1, skin.GetColor(SkinColor::SKC_BORDER)));
    const CSelectObject pen(dc, hPen);
    const auto Shape = m_eMode == EMode::CheckBox ? Rectangle : Ellipse;
    {
        const CBrushHandle hFill(CreateSolidBrush(skin.GetColor(SkinColor::SKC_EDIT_BG)));
        const CSelectObject brush(dc, hFill);
        Shape(dc, rcCircle.left, rcCircle.top, rcCircle.right, rcCircle.bottom);
    }
    if (SendMessage(BM_GETCHECK) == BST_CHECKED)
        PaintMark(dc, rcCircle, Shape);
}

// The focus cue, while the keyboard is in use, frames the caption as far as
// it is written.
void CSkinnedRadioButton::PaintCaption(HDC hDC, const RECT& rcText) const
{
    const CSelectObject font(hDC, GetFont());
    const WString strText = GetWindowText();
    const COLORREF color = GetSkin().GetColor(SkinColor::SKC_STATIC_TEXT);
    const UINT uFormat = DT_SINGLELINE | DT_VCENTER | GetMnemonicFlag(m_hWnd);
    SetBkMode(hDC, TRANSPARENT);
    SetTextColor(hDC, color);
    {
        const CRgnHandle hClip(CreateRectRgnIndirect(&rcText));
        SelectClipRgn(hDC, hClip);
        RECT rc = rcText;
        DrawTextW(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, uFormat);
        SelectClipRgn(hDC, nullptr);
    }
    if (!ShowsFocusCue(m_hWnd))
        return;
    RECT rc = rcText;
    DrawTextW(hDC, strText.c_str(), static_cast<int>(strText.size()), &rc, uFormat | DT_CALCRECT);
    const int nHeight = rc.bottom - rc.top;
    const RECT rcCue = {rcText.left - 1, std::max(rcText.top, (rcText.top + rcText.bottom - nHeight) / 2 - 1),
                        std::min(rc.right + 1, rcText.right),
                        std::min(rcText.bottom, (rcText.top + rcText.bottom + nHeight) / 2 + 1)};
    DrawFocusCue(hDC, rcCue, color);
}

// The mark of the checked state in the text colour, outline and all: in the
// ring's colour it would stand out from the circle's fill no more than the
// ring does, which in the default skin is hardly at all.
void CSkinnedRadioButton::PaintMark(HDC hDC, RECT rcShape, ShapeFunc Shape)
{
    const int nInset = std::max<int>(2, (rcShape.right - rcShape.left) / 4);
    InflateRect(&rcShape, -nInset, -nInset);
    const COLORREF color = GetSkin().GetColor(SkinColor::SKC_STATIC_TEXT);
    const CPenHandle hPen(CreatePen(PS_SOLID, 1, color));
    const CSelectObject pen(hDC, hPen);
    const CBrushHandle hBrush(CreateSolidBrush(color));
    const CSelectObject brush(hDC, hBrush);
    Shape(hDC, rcShape.left, rcShape.top, rcShape.right, rcShape.bottom);
}
