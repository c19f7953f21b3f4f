#include "skinning/SkinnedComboBox.h"

#include "win/MemPaintDC.h"

bool CSkinnedComboBox::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_PAINT:
        OnPaint();
        lResult = 0;
        return true;
    case WM_COMMAND:
        // The drop-down list changed the selection: the new text is drawn
        // over the skin. The command still goes on to the control.
        if (HIWORD(wParam) == 1)
            Invalidate();
        lResult = 0;
        break;
    default:
        break;
    }
    return HandleHover(uMsg, lResult);
}

bool CSkinnedComboBox::IsDroppedDown() const
{
    return SendMessage(CB_GETDROPPEDSTATE) != FALSE;
}

void CSkinnedComboBox::OnPaint()
{
    const CMemPaintDC dc(m_hWnd);
    const CSkin& skin = GetSkin();
    PaintParentBackground(dc);

    RECT rcInner = dc.ClientRect();
    InflateRect(&rcInner, -Metric(SM_CXEDGE), -Metric(SM_CYEDGE));
    const int nArrowWidth = Metric(SM_CXVSCROLL);
    const bool bEnabled = IsWindowEnabled();
    {
        const RECT rcFace = {rcInner.left, rcInner.top, rcInner.right - nArrowWidth, rcInner.bottom};
        const CRgnHandle hClip(CreateRectRgnIndirect(&rcFace));
        SelectClipRgn(dc, hClip);
        PaintPrevious(dc);
        // The control frames its text in the system's window colour, a
        // white line on a dark skin: the field's own colour goes there.
        FrameRect(dc, rcFace, skin.GetColor(bEnabled ? SkinColor::SKC_EDIT_BG : SkinColor::SKC_EDIT_BG_DISABLED));
        SelectClipRgn(dc, nullptr);
    }
    const bool bDropped = IsDroppedDown();
    const COLORREF border = GetBorderColor(m_bHover || bDropped);
    RECT rcFrame = rcInner;
    InflateRect(&rcFrame, 1, 1);
    FrameRect(dc, rcFrame, border);

    RECT rcArrow = rcInner;
    rcArrow.left = rcInner.right - nArrowWidth;
    FillRect(dc, rcArrow, skin.GetColor(!bEnabled || bDropped ? SkinColor::SKC_EDIT_BG_DISABLED : SkinColor::SKC_EDIT_BG));
    RECT rcArrowFrame = rcArrow;
    rcArrowFrame.top -= 1;
    rcArrowFrame.right += 1;
    rcArrowFrame.bottom += 1;
    FrameRect(dc, rcArrowFrame, border);
    PaintArrow(dc, rcArrowFrame, skin.GetColor(SkinColor::SKC_BORDER));
}

void CSkinnedComboBox::PaintArrow(HDC hDC, const RECT& rcArea, COLORREF color) const
{
    const int x = (rcArea.left + rcArea.right) / 2;
    const int y = (rcArea.top + rcArea.bottom) / 2;
    const POINT aTriangle[] = {{x - Scaled(3), y - Scaled(2)}, {x + Scaled(4), y - Scaled(2)}, {x, y + Scaled(2)}};
    const CRgnHandle hTriangle(CreatePolygonRgn(aTriangle, 3, WINDING));
    const CBrushHandle hBrush(CreateSolidBrush(color));
    FillRgn(hDC, hTriangle, hBrush);
}
