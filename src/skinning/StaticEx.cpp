#include "skinning/StaticEx.h"

#include "base/Trace.h"
#include "base/Util.h"
#include "win/MemPaintDC.h"

namespace {

// The caption starts this far right of the frame's left edge and keeps this
// much room on either side of it.
const int kCaptionIndent = 10;
const int kCaptionGap = 4;

} // namespace

void CStaticEx::OnAttached()
{
    if (IsButton())
        ModifyStyleEx(0, WS_EX_TRANSPARENT);
}

bool CStaticEx::ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT& lResult)
{
    if (uMsg != WM_PAINT)
        return false;
    if (IsButton())
        OnPaintGroupBox();
    else
        OnPaintStatic();
    lResult = 0;
    return true;
}

bool CStaticEx::IsButton() const
{
    return _wcsicmp(GetWindowClass(m_hWnd).c_str(), L"button") == 0;
}

bool CStaticEx::IsStyleSet(DWORD dwType) const
{
    return (GetStyle() & BS_TYPEMASK) == dwType;
}

void CStaticEx::OnPaintGroupBox()
{
    const CPaintDC dc(m_hWnd);
    ZASSERT(IsStyleSet( BS_GROUPBOX ));
    const CSkin& skin = GetSkin();
    SetTextColor(dc, skin.GetColor(SkinColor::SKC_STATIC_TEXT));
    SetBkMode(dc, TRANSPARENT);
    const CSelectObject font(dc, GetFont());
    const WString strText = GetWindowText();
    const int nLength = static_cast<int>(strText.size());

    SIZE size = {};
    GetTextExtentPoint32W(dc, strText.c_str(), nLength, &size);
    RECT rcCaption = {kCaptionIndent, 0, kCaptionIndent + size.cx, size.cy};
    RECT rcFrame = GetClientRect();
    rcFrame.top += size.cy / 2;

    RECT rcBox = rcCaption;
    InflateRect(&rcBox, kCaptionGap, 0);
    {
        const CRgnHandle hBox(CreateRectRgnIndirect(&rcBox));
        ExtSelectClipRgn(dc, hBox, RGN_DIFF);
        FrameRect(dc, rcFrame, skin.GetColor(SkinColor::SKC_GROUP_BOX));
        SelectClipRgn(dc, hBox);
    }
    DrawTextW(dc, strText.c_str(), nLength, &rcCaption, DT_LEFT | DT_NOCLIP);
}

void CStaticEx::OnPaintStatic()
{
    const CMemPaintDC dc(m_hWnd);
    PaintParentBackground(dc);
    PaintPrevious(dc);
}
