#include "skinning/SkinnedEdit.h"

namespace {

// Styles whose edit grows a scroll bar (ES_MULTILINE among them): the frame
// then encloses the scroll bar.
const DWORD kScrollingStyles = 0x0115;
// A single-line frame is the text's height plus this (at 96 DPI), and the
// text keeps this much room from the frame on either side.
const int kLineFramePadding = 6;
const int kMargin = 2;

} // namespace

void CSkinnedEdit::OnAttached()
{
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0);
    SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(Scaled(kMargin), Scaled(kMargin)));
}

bool CSkinnedEdit::ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT& lResult)
{
    if (uMsg == WM_PAINT) {
        OnPaint();
        lResult = 0;
        return true;
    }
    return HandleHover(uMsg, lResult);
}

// The frame is the window's outer ring of pixels (the 2-pixel margins keep
// the text clear of it): a frame one pixel outside the control would lie on
// the dialog, which does not let its children draw there.
void CSkinnedEdit::OnPaint()
{
    RECT rcFrame = GetWindowRect();
    OffsetRect(&rcFrame, -rcFrame.left, -rcFrame.top);
    {
        const CPaintDC dc(m_hWnd);
        if (!(GetStyle() & kScrollingStyles)) {
            const CSelectObject font(dc, GetFont());
            SIZE size = {};
            GetTextExtentPoint32W(dc, L"|", 1, &size);
            rcFrame.bottom = rcFrame.top + size.cy + Scaled(kLineFramePadding);
        }
        const CRgnHandle hClip(CreateRectRgnIndirect(&rcFrame));
        SelectClipRgn(dc, hClip);
        PaintPrevious(dc);
        SelectClipRgn(dc, nullptr);
    }
    FrameRect(CWindowDC(m_hWnd, true), rcFrame, GetBorderColor(m_bHover));
}
