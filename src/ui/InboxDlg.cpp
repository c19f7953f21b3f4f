#include "ui/InboxDlg.h"

#include <algorithm>

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "base/Trace.h"
#include "res/resource.h"
#include "app/HistoryRecord.h"

namespace {

const int kColumnSender = 0;
const int kColumnTime = 1;

constexpr CControlItem kControls[] = {
    {IDC_INBOX_LIST, EControlKind::ListView},
    {IDC_INBOX_SENDER_LABEL, EControlKind::Static},
    {IDC_INBOX_TIME_LABEL, EControlKind::Static},
    {IDC_INBOX_STATUS, EControlKind::Static},
    {IDC_INBOX_SENDER, EControlKind::Edit},
    {IDC_INBOX_TIME, EControlKind::Edit},
    {IDC_INBOX_TEXT, EControlKind::Edit},
    {IDC_INBOX_DELETE, EControlKind::CheckBox},
    {IDC_INBOX_REFRESH, EControlKind::Button},
    {IDC_INBOX_OK, EControlKind::Button},
};

const int kTimeColumnPercent = 55;  // of the list's width; the sender takes the rest

} // namespace

CInboxDlg::CInboxDlg(CInboxHost& host, const WString& strInboxPath)
    : CListDetailDlg(IDD_INBOX, SkinBitmapIndex::SBI_INBOX, kControls, IDC_INBOX_LIST), m_host(host), m_strPath(strInboxPath)
{
}

void CInboxDlg::OnInitDialog()
{
    SetWindowText(WSTR("Inbox"));
    CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    CButton(GetDlgItem(IDC_INBOX_DELETE)).SetCheck(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    const CListView list = List();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxList = list.GetClientRect().right - GetSystemMetrics(SM_CXVSCROLL);
    const int cxTime = cxList * kTimeColumnPercent / 100;
    list.InsertColumn(kColumnSender, L"From", cxList - cxTime);
    list.InsertColumn(kColumnTime, L"Time", cxTime);
    Fill();
    // What was stored since the Inbox last showed it: by a send, the console
    // tool, or a reading it was closed during.
    if (m_list.GetLoadError().empty() && m_list.GetNewCount())
        ShowStatus(AnsiToWide(std::to_string(m_list.GetNewCount()) +
                              (m_list.GetNewCount() == 1 ? " new message" : " new messages")));
    UpdateRefresh();
}

// What the list showed as new is new no longer.
void CInboxDlg::OnDestroy()
{
    std::string strError;
    if (!m_list.MarkShown(m_strPath, strError))
        Trace("The inbox file keeps its new messages: %s\n", strError.c_str());
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

// The main window, with its Cancel, is disabled under this one: while a
// reading runs the button cancels it, while another request runs (a send
// the user started before) nothing here may stop or disturb it.
void CInboxDlg::UpdateRefresh()
{
    const CWindow button = GetDlgItem(IDC_INBOX_REFRESH);
    const bool bReading = m_host.IsReadingMessages();
    button.SetWindowText(bReading ? WSTR("Cancel") : WSTR("Refresh"));
    button.EnableWindow(bReading || !m_host.IsRequestRunning());
    button.Invalidate();
}

void CInboxDlg::ShowStatus(const WString& strText)
{
    const CWindow status = GetDlgItem(IDC_INBOX_STATUS);
    status.SetWindowText(strText);
    status.Invalidate();
}

void CInboxDlg::OnRequestEnded()
{
    Fill();
    UpdateRefresh();
}

bool CInboxDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_INBOX_OK:
        EndDialog(IDOK);
        return true;
    case IDC_INBOX_REFRESH:
        if (m_host.IsReadingMessages())
            m_host.OnInboxCancel();
        else if (!m_host.IsRequestRunning())
            m_host.OnInboxRefresh();
        UpdateRefresh();
        return true;
    case IDC_INBOX_DELETE:
        CAppSettings().Write(EFlag::DELETE_AFTER_DOWNLOAD, CButton(GetDlgItem(IDC_INBOX_DELETE)).IsChecked());
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
    CopyCell(info.item.iSubItem == kColumnTime ? CInboxList::GetTimeText(msg.time)
                                               : CInboxList::GetSenderCell(msg, m_host.GetContacts()),
             info);
}

void CInboxDlg::ShowSelected()
{
    const int nRow = List().GetNextSelected();
    const bool bAny = nRow >= 0 && static_cast<size_t>(nRow) < m_list.GetCount();
    const CReceivedMsg none;
    const CReceivedMsg& msg = bAny ? m_list.GetMessage(static_cast<size_t>(nRow)) : none;
    GetDlgItem(IDC_INBOX_SENDER).SetWindowText(bAny ? CInboxList::GetSenderText(msg.strSender, m_host.GetContacts())
                                              : WString());
    GetDlgItem(IDC_INBOX_TIME).SetWindowText(CInboxList::GetTimeText(msg.time));
    WString strText = bAny ? msg.GetText() : WString();
    if (bAny && !msg.strNote.empty())
        strText += WSTR("\n[") + Utf8ToWide(msg.strNote) + WSTR("]");
    GetDlgItem(IDC_INBOX_TEXT).SetWindowText(WithCrLf(strText));
}
