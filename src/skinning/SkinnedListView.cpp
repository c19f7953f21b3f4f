#include "skinning/SkinnedListView.h"

#include "win/Reflect.h"

void CSkinnedListView::OnAttached()
{
    // One pixel of frame, whatever edge the template or the system gave it.
    ModifyStyleEx(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE, 0);
    ModifyStyle(0, WS_BORDER);
    SetColors();
    const HWND hHeader = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
    if (hHeader)
        m_header.Attach(hHeader, m_nBitmap);
}

void CSkinnedListView::SetColors() const
{
    const CSkin& skin = GetSkin();
    SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(skin.GetColor(SkinColor::SKC_EDIT_BG)));
    SendMessage(LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(skin.GetColor(SkinColor::SKC_EDIT_BG)));
    SendMessage(LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(skin.GetColor(SkinColor::SKC_EDIT_TEXT)));
}

bool CSkinnedListView::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == WM_SYSCOLORCHANGE) {  // the system's colours, in high contrast, may have changed
        lResult = DefWindowProc(uMsg, wParam, lParam);
        SetColors();
        return true;
    }
    if (uMsg == WM_NCPAINT) {
        lResult = DefWindowProc(uMsg, wParam, lParam);  // the scroll bars
        PaintFrame();
        return true;
    }
    if (uMsg == kReflectBase + WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == NM_CUSTOMDRAW) {
        lResult = OnCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(lParam));
        return true;
    }
    const bool bHover = m_bHover;
    const bool bHandled = HandleHover(uMsg, lResult);
    if (bHover != m_bHover)
        PaintFrame();
    return bHandled;
}

// The selected state is taken out of the notification: the system would
// paint a selected row in its own highlight colours over the ones set here.
// The focus stays in it: the focused row shows the system's focus rectangle
// while the keyboard is in use.
LRESULT CSkinnedListView::OnCustomDraw(NMLVCUSTOMDRAW& draw) const
{
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT)
        return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage != CDDS_ITEMPREPAINT)
        return CDRF_DODEFAULT;
    const bool bSelected = SendMessage(LVM_GETITEMSTATE, draw.nmcd.dwItemSpec, LVIS_SELECTED) != 0;
    draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
    const CSkin& skin = GetSkin();
    draw.clrText = skin.GetColor(bSelected ? SkinColor::SKC_EDIT_BG : SkinColor::SKC_EDIT_TEXT);
    draw.clrTextBk = skin.GetColor(bSelected ? SkinColor::SKC_STATIC_TEXT : SkinColor::SKC_EDIT_BG);
    return CDRF_NEWFONT;
}

void CSkinnedListView::PaintFrame() const
{
    RECT rc = GetWindowRect();
    OffsetRect(&rc, -rc.left, -rc.top);
    FrameRect(CWindowDC(m_hWnd, true), rc, GetBorderColor(m_bHover));
}
