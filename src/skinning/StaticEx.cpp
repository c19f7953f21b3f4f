#include "skinning/StaticEx.h"

#include "base/Trace.h"
#include "base/Util.h"
#include "skinning/KeyboardCues.h"
#include "win/MemPaintDC.h"

namespace {

// The caption starts this far right of the frame's left edge and keeps this
// much room on either side of it (at 96 DPI).
const int kCaptionIndent = 10;
const int kCaptionGap = 4;

} // namespace

void CStaticEx::OnAttached()
{
    if (IsButton())
        ModifyStyleEx(0, WS_EX_TRANSPARENT);
}

bool CStaticEx::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == WM_UPDATEUISTATE)  // a mnemonic's underline shows or goes
        return HandleKeyboardCues(uMsg, wParam, lParam, lResult);
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
    // Measured as drawn: a mnemonic's "&" takes no room.
    const UINT uFormat = DT_LEFT | DT_SINGLELINE | GetMnemonicFlag(m_hWnd);
    RECT rcCaption = {0, 0, 0, 0};
    DrawTextW(dc, strText.c_str(), nLength, &rcCaption, uFormat | DT_CALCRECT);
    OffsetRect(&rcCaption, Scaled(kCaptionIndent), 0);
    RECT rcFrame = GetClientRect();
    rcFrame.top += (rcCaption.bottom - rcCaption.top) / 2;

    RECT rcBox = rcCaption;
    InflateRect(&rcBox, Scaled(kCaptionGap), 0);
    {
        const CRgnHandle hBox(CreateRectRgnIndirect(&rcBox));
        ExtSelectClipRgn(dc, hBox, RGN_DIFF);
        FrameRect(dc, rcFrame, skin.GetColor(SkinColor::SKC_GROUP_BOX));
        SelectClipRgn(dc, hBox);
    }
    DrawTextW(dc, strText.c_str(), nLength, &rcCaption, uFormat | DT_NOCLIP);
}

void CStaticEx::OnPaintStatic()
{
    const CMemPaintDC dc(m_hWnd);
    PaintParentBackground(dc);
    PaintPrevious(dc);
}
