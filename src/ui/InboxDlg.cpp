#include "ui/InboxDlg.h"

#include <algorithm>

#include "base/Settings.h"
#include "res/resource.h"
#include "skinning/Skin.h"
#include "ui/HistoryRecord.h"
#include "win/Reflect.h"

namespace {

enum { COLUMN_SENDER, COLUMN_TIME };

const int kTimeColumnPercent = 55;  // of the list's width; the sender takes the rest

bool IsSelectionChange(const NMLISTVIEW& change)
{
    return (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED);
}

void CopyCell(const WString& strText, NMLVDISPINFOW& info)
{
    if (info.item.pszText && info.item.cchTextMax > 0)
        lstrcpynW(info.item.pszText, strText.c_str(), info.item.cchTextMax);
}

} // namespace

CInboxDlg::CInboxDlg(CInboxHost& host, const WString& strInboxPath)
    : CDialog(IDD_INBOX), m_host(host), m_strPath(strInboxPath)
{
}

bool CInboxDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (m_skin.ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
        return true;
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog();
        lResult = TRUE;
        return true;
    case WM_UPDATEUISTATE:
    case WM_ERASEBKGND:
        lResult = 0;
        return true;
    case WM_COMMAND:
        if (OnCommand(LOWORD(wParam), HIWORD(wParam))) {
            lResult = 0;
            return true;
        }
        break;
    case WM_NOTIFY:
        if (OnNotify(*reinterpret_cast<NMHDR*>(lParam))) {
            lResult = 0;
            return true;
        }
        break;
    }
    return ReflectNotification(hWnd, uMsg, wParam, lParam, lResult);
}

void CInboxDlg::OnInitDialog()
{
    SetWindowText(WSTR("Inbox"));
    CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    AttachControls();
    CButton(GetDlgItem(IDC_INBOX_DELETE)).SetCheck(GetSettingsKey().Value("DeleteAfterDownload").ReadBool(false));
    const CListView list = List();
    const CSkin& skin = GetSkin();
    list.SetColors(skin.GetColor(SKC_EDIT_TEXT), skin.GetColor(SKC_EDIT_BG));
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxList = list.GetClientRect().right - GetSystemMetrics(SM_CXVSCROLL);
    const int cxTime = cxList * kTimeColumnPercent / 100;
    list.InsertColumn(COLUMN_SENDER, L"From", cxList - cxTime);
    list.InsertColumn(COLUMN_TIME, L"Time", cxTime);
    Fill();
    UpdateRefresh();
}

void CInboxDlg::AttachControls()
{
    const int aStatics[] = {IDC_INBOX_SENDER_LABEL, IDC_INBOX_TIME_LABEL, IDC_INBOX_STATUS};
    for (size_t i = 0; i < sizeof(aStatics) / sizeof(aStatics[0]); ++i)
        m_aStatics[i].Attach(GetDlgItem(aStatics[i]));
    const int aEdits[] = {IDC_INBOX_SENDER, IDC_INBOX_TIME, IDC_INBOX_TEXT};
    for (size_t i = 0; i < sizeof(aEdits) / sizeof(aEdits[0]); ++i)
        m_aEdits[i].Attach(GetDlgItem(aEdits[i]));
    m_aButtons[0].Attach(GetDlgItem(IDC_INBOX_REFRESH));
    m_aButtons[1].Attach(GetDlgItem(IDC_INBOX_OK));
    m_chkDelete.Attach(GetDlgItem(IDC_INBOX_DELETE));
}

// The file is read whenever the list is filled, so the console tool's
// downloads show too; the newest message is selected.
void CInboxDlg::Fill()
{
    m_list.Load(m_strPath);
    if (!m_list.GetLoadError().empty())
        ShowStatus(Utf8ToWide(m_list.GetLoadError()));
    const CListView list = List();
    list.SetItemCount(static_cast<int>(m_list.GetCount()));
    list.Invalidate();
    if (m_list.GetCount())
        list.SelectItem(0);
    else
        ShowSelected();
}

// While a request runs the button cancels it (the main window is disabled
// under this one), and only a reading of this window's can be cancelled.
void CInboxDlg::UpdateRefresh()
{
    const CWindow button = Item(IDC_INBOX_REFRESH);
    button.SetWindowText(m_host.IsRequestRunning() ? WSTR("Cancel") : WSTR("Refresh"));
    button.Invalidate();
}

void CInboxDlg::ShowStatus(const WString& strText)
{
    const CWindow status = Item(IDC_INBOX_STATUS);
    status.SetWindowText(strText);
    status.Invalidate();
}

void CInboxDlg::OnRequestEnded()
{
    Fill();
    UpdateRefresh();
}

bool CInboxDlg::OnCommand(int nId, int nCode)
{
    switch (nId) {
    case IDOK:
    case IDCANCEL:
        EndDialog(nId);
        return true;
    case IDC_INBOX_OK:
        if (nCode == BN_CLICKED)
            EndDialog(IDOK);
        return true;
    case IDC_INBOX_REFRESH:
        if (nCode != BN_CLICKED)
            return true;
        if (m_host.IsRequestRunning())
            m_host.OnInboxCancel();
        else
            m_host.OnInboxRefresh();
        UpdateRefresh();
        return true;
    case IDC_INBOX_DELETE:
        if (nCode != BN_CLICKED)
            return false;
        GetSettingsKey().Value("DeleteAfterDownload").WriteBool(CButton(GetDlgItem(IDC_INBOX_DELETE)).IsChecked());
        return true;
    default:
        return false;
    }
}

bool CInboxDlg::OnNotify(NMHDR& hdr)
{
    if (hdr.idFrom != IDC_INBOX_LIST)
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

void CInboxDlg::OnGetDispInfo(NMLVDISPINFOW& info) const
{
    if (info.item.iItem < 0 || static_cast<size_t>(info.item.iItem) >= m_list.GetCount() ||
        !(info.item.mask & LVIF_TEXT))
        return;
    const CReceivedMsg& msg = m_list.GetMessage(static_cast<size_t>(info.item.iItem));
    CopyCell(info.item.iSubItem == COLUMN_TIME ? CInboxList::GetTimeText(msg.time)
                                               : CInboxList::GetSenderName(msg.strSender, m_host.GetContacts()),
             info);
}

void CInboxDlg::ShowSelected()
{
    const int nRow = List().GetNextSelected();
    const bool bAny = nRow >= 0 && static_cast<size_t>(nRow) < m_list.GetCount();
    const CReceivedMsg none;
    const CReceivedMsg& msg = bAny ? m_list.GetMessage(static_cast<size_t>(nRow)) : none;
    Item(IDC_INBOX_SENDER).SetWindowText(bAny ? CInboxList::GetSenderText(msg.strSender, m_host.GetContacts())
                                              : WString());
    Item(IDC_INBOX_TIME).SetWindowText(CInboxList::GetTimeText(msg.time));
    WString strText = bAny ? msg.GetText() : WString();
    if (bAny && !msg.strNote.empty())
        strText += WSTR("\n[") + Utf8ToWide(msg.strNote) + WSTR("]");
    Item(IDC_INBOX_TEXT).SetWindowText(WithCrLf(strText));
}

CListView CInboxDlg::List() const
{
    return CListView(GetDlgItem(IDC_INBOX_LIST));
}
