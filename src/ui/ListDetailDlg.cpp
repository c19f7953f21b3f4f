#include "ui/ListDetailDlg.h"

#include "base/AtomicFile.h"
#include "win/FileDialog.h"

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

WString CListDetailDlg::GetSearchText() const
{
    return GetDlgItem(m_nSearchId).GetWindowText();
}

// Typing in the search box; Enter, and Esc or a close request from the
// system, with whatever notification.
bool CListDetailDlg::OnCommand(int nId, int nCode)
{
    if (nId == m_nSearchId) {
        if (nCode == EN_CHANGE)
            Search();
        return true;
    }
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

void CListDetailDlg::ShowRows(size_t nRows)
{
    const CListView list = List();
    list.SetItemCount(static_cast<int>(nRows));
    list.Invalidate();
    // Selecting the first row shows it (LVN_ITEMCHANGED); selected before,
    // it may have shown another record.
    if (nRows && list.GetNextSelected() != 0)
        list.SelectItem(0);
    else
        ShowSelected();
}

bool CListDetailDlg::AskExportPath(const wchar_t* pszFilter, const wchar_t* pszExt, WString& strPath,
                                   DWORD& nFilter) const
{
    return AskFileToSave(m_hWnd, L"Export", pszFilter, pszExt, strPath, nFilter);
}

bool CListDetailDlg::AskCsvPath(WString& strPath) const
{
    DWORD nFilter = 0;
    return AskExportPath(L"CSV (*.csv)\0*.csv\0", L"csv", strPath, nFilter);
}

WString CListDetailDlg::WriteExport(const WString& strPath, const std::string& strData, size_t nCount,
                                    const wchar_t* pszWhat)
{
    std::string strError;
    if (!WriteFileAtomically(strPath, strData, strError))
        return WSTR("Could not export to ") + strPath + WSTR(": ") + Utf8ToWide(strError);
    return Utf8ToWide(std::to_string(nCount)) + WSTR(" ") + pszWhat + WSTR(" exported to ") + strPath;
}
