#include "ui/InboxDlg.h"

#include <algorithm>

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "base/Trace.h"
#include "base/Util.h"
#include "res/resource.h"
#include "app/HistoryRecord.h"
#include "app/RecordExport.h"
#include "win/Dpi.h"
#include "win/LocalTime.h"

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
    {IDC_INBOX_SEARCH_LABEL, EControlKind::Static},
    {IDC_INBOX_SEARCH, EControlKind::Edit},
    {IDC_INBOX_REPLY, EControlKind::Button},
    {IDC_INBOX_EXPORT, EControlKind::Button},
};

const int kTimeColumnPercent = 55;  // of the list's width; the sender takes the rest

// Reply would type the sender's name into the recipients box, where it names
// a contact or a group: the message would go to them.
const WChar kNoReply[] = WSTR("Cannot reply to an alphanumeric sender");

} // namespace

CInboxDlg::CInboxDlg(CInboxHost& host, const WString& strInboxPath)
    : CListDetailDlg(IDD_INBOX, SkinBitmapIndex::SBI_INBOX, kControls, IDC_INBOX_LIST, IDC_INBOX_SEARCH), m_host(host), m_strPath(strInboxPath)
{
}

void CInboxDlg::OnInitDialog()
{
    SetWindowText(WSTR("Inbox"));
    CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    CButton(GetDlgItem(IDC_INBOX_DELETE)).SetCheck(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    const CListView list = List();
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxList = list.GetClientRect().right - GetSystemMetricForDpi(SM_CXVSCROLL, GetWindowDpi(m_hWnd));
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
    Search();
}

// As one types: the messages that hold the text, newest first.
void CInboxDlg::Search()
{
    const WString strQuery = GetSearchText();
    m_aRows.clear();
    for (size_t i = 0; i < m_list.GetCount(); ++i) {
        if (InboxMatches(m_list.GetMessage(i), m_host.GetContacts(), strQuery))
            m_aRows.push_back(i);
    }
    ShowRows(m_aRows.size());
}

const CReceivedMsg* CInboxDlg::MessageOfRow(int nRow) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_aRows.size())
        return nullptr;
    return &m_list.GetMessage(m_aRows[static_cast<size_t>(nRow)]);
}

// The messages shown, oldest first.
void CInboxDlg::OnExport()
{
    WString strPath = WSTR("inbox.csv");
    if (!AskCsvPath(strPath))
        return;
    const std::vector<CReceivedMsg> shown =
        OldestFirst<CReceivedMsg>(m_aRows, [this](size_t nIndex) { return m_list.GetMessage(nIndex); });
    ShowStatus(WriteExport(strPath, FormatInboxCsv(shown, m_host.GetContacts(), GetListSeparator()), shown.size(), L"messages"));
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
    ShowStatusOn(IDC_INBOX_STATUS, strText);
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
    case IDC_INBOX_REPLY:
        if (const CReceivedMsg* pMsg = MessageOfRow(List().GetNextSelected())) {
            if (!CInboxList::CanReplyTo(pMsg->strSender)) {
                ShowStatus(kNoReply);
                return true;
            }
            m_strReplyTo = pMsg->strSender;
            EndDialog(IDC_INBOX_REPLY);
        }
        return true;
    case IDC_INBOX_EXPORT:
        OnExport();
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
    const CReceivedMsg* pMsg = MessageOfRow(info.item.iItem);
    if (!pMsg || !(info.item.mask & LVIF_TEXT))
        return;
    const CReceivedMsg& msg = *pMsg;
    CopyCell(info.item.iSubItem == kColumnTime ? FormatLocalTime(msg.time.ToUnixTime())
                                               : CInboxList::GetSenderCell(msg, m_host.GetContacts()),
             info);
}

void CInboxDlg::ShowSelected()
{
    const CReceivedMsg* pMsg = MessageOfRow(List().GetNextSelected());
    const bool bAny = pMsg != nullptr;
    const CReceivedMsg none;
    const CReceivedMsg& msg = bAny ? *pMsg : none;
    GetDlgItem(IDC_INBOX_SENDER).SetWindowText(bAny ? CInboxList::GetSenderText(msg.strSender, m_host.GetContacts())
                                              : WString());
    GetDlgItem(IDC_INBOX_TIME).SetWindowText(FormatLocalTime(msg.time.ToUnixTime()));
    const bool bReply = bAny && CInboxList::CanReplyTo(msg.strSender);
    const CWindow reply = GetDlgItem(IDC_INBOX_REPLY);
    reply.EnableWindow(bReply);
    reply.Invalidate();
    if (bAny && !bReply)
        ShowStatus(kNoReply);
    else if (GetDlgItem(IDC_INBOX_STATUS).GetWindowText() == kNoReply)
        ShowStatus(WString());
    WString strText = bAny ? msg.GetText() : WString();
    if (bAny && !msg.strNote.empty())
        strText += WSTR("\n[") + Utf8ToWide(msg.strNote) + WSTR("]");
    GetDlgItem(IDC_INBOX_TEXT).SetWindowText(WithCrLf(strText));
}
