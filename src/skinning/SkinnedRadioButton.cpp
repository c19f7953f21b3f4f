#include "skinning/SkinnedRadioButton.h"

#include <algorithm>

#include "win/MemPaintDC.h"

bool CSkinnedRadioButton::ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT& lResult)
{
    if (uMsg != WM_PAINT)
        return false;
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
    const int nBox = GetSystemMetrics(SM_CXSMSIZE);

    // The caption right of the circle, in StaticText also when disabled.
    RECT rcText = rcClient;
    rcText.left += nBox + 1;
    {
        const CSelectObject font(dc, GetFont());
        const WString strText = GetWindowText();
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, skin.GetColor(SkinColor::SKC_STATIC_TEXT));
        const CRgnHandle hClip(CreateRectRgnIndirect(&rcText));
        SelectClipRgn(dc, hClip);
        DrawTextW(dc, strText.c_str(), static_cast<int>(strText.size()), &rcText, DT_SINGLELINE | DT_VCENTER);
        SelectClipRgn(dc, nullptr);
    }

    const int nSide = std::min<int>(rcClient.bottom - rcClient.top, std::max(nBox, GetSystemMetrics(SM_CYSMSIZE)));
    RECT rcCircle = {rcClient.left, rcClient.top, rcClient.left + nSide, rcClient.top + nSide};
    InflateRect(&rcCircle, -2, -2);
    const CPenHandle hPen(CreatePen(PS_SOLID, 1, skin.GetColor(SkinColor::SKC_BORDER)));
    const CSelectObject pen(dc, hPen);
    const auto Shape = m_eMode == EMode::CheckBox ? Rectangle : Ellipse;
    {
        const CBrushHandle hFill(CreateSolidBrush(skin.GetColor(SkinColor::SKC_EDIT_BG)));
        const CSelectObject brush(dc, hFill);
        Shape(dc, rcCircle.left, rcCircle.top, rcCircle.right, rcCircle.bottom);
    }
    if (SendMessage(BM_GETCHECK) == BST_CHECKED) {
        InflateRect(&rcCircle, -3, -3);
        const CBrushHandle hDot(CreateSolidBrush(skin.GetColor(SkinColor::SKC_BORDER)));
        const CSelectObject brush(dc, hDot);
        Shape(dc, rcCircle.left, rcCircle.top, rcCircle.right, rcCircle.bottom);
    }
}
