#include "ui/ListDetailDlg.h"

namespace {

// A row that became selected or unselected; focus and other states do not
// change what the fields show.
bool IsSelectionChange(const NMLISTVIEW& change)
{
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED);
}

} // namespace

CListView CListDetailDlg::List() const
{
    return CListView(GetDlgItem(m_nListId));
}

void CListDetailDlg::CopyCell(const WString& strText, NMLVDISPINFOW& info)
{
    if (info.item.pszText && info.item.cchTextMax > 0)
        lstrcpynW(info.item.pszText, strText.c_str(), info.item.cchTextMax);
}

// Enter, and Esc or a close request from the system, with whatever notification.
bool CListDetailDlg::OnCommand(int nId, int)
{
    if (nId != IDOK && nId != IDCANCEL)
        return false;
    EndDialog(nId);
    return true;
}

bool CListDetailDlg::OnNotify(NMHDR& hdr)
{
    if (static_cast<int>(hdr.idFrom) != m_nListId)
        return false;
    switch (hdr.code) {
    case LVN_GETDISPINFOW:
        OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW&>(hdr));
        return true;
    case LVN_ITEMCHANGED:
        if (IsSelectionChange(reinterpret_cast<const NMLISTVIEW&>(hdr)))
            ShowSelected();
        return true;
    default:
        return false;
    }
}
