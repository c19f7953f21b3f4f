#include "skinning/SkinnedHeader.h"

#include <commctrl.h>

#include "win/MemPaintDC.h"

namespace {

const int kCaptionMargin = 6;  // left of a caption, as the system's header leaves it (at 96 DPI)
const int kMaxCaption = 260;

} // namespace

bool CSkinnedHeader::ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_PAINT:
        OnPaint();
        lResult = 0;
        return true;
    case WM_ERASEBKGND:  // WM_PAINT covers every pixel
        lResult = 1;
        return true;
    default:
        return false;
    }
}

void CSkinnedHeader::OnPaint()
{
    const CMemPaintDC dc(m_hWnd);
    const CSkin& skin = GetSkin();
    RECT rc = dc.ClientRect();
    FillRect(dc, rc, skin.GetColor(SkinColor::SKC_BUTTON_BG));
    const CSelectObject font(dc, GetFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, skin.GetColor(SkinColor::SKC_STATIC_TEXT));
    const int nCount = static_cast<int>(SendMessage(HDM_GETITEMCOUNT));
    for (int i = 0; i < nCount; ++i)
        PaintItem(dc, i);
    rc.top = rc.bottom - 1;
    FillRect(dc, rc, skin.GetColor(SkinColor::SKC_BORDER));
}

void CSkinnedHeader::PaintItem(HDC hDC, int nItem) const
{
    RECT rc = {};
    if (!SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&rc)))
        return;
    wchar_t szText[kMaxCaption] = {};
    HDITEMW item = {};
    item.mask = HDI_TEXT;
    item.pszText = szText;
    item.cchTextMax = kMaxCaption;
    SendMessage(HDM_GETITEMW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
    RECT rcLine = {rc.right - 1, rc.top + 2, rc.right, rc.bottom - 2};
    FillRect(hDC, rcLine, GetSkin().GetColor(SkinColor::SKC_BORDER));
    rc.left += Scaled(kCaptionMargin);
    rc.right -= Scaled(kCaptionMargin);
    DrawTextW(hDC, szText, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}
