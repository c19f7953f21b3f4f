#include "ui/ConversationsDlg.h"

#include <functional>
#include <string>

#include "base/AppDataFolder.h"
#include "base/SettingsListKey.h"
#include "base/Trace.h"
#include "base/Util.h"
#include "res/resource.h"
#include "sms/Msg.h"
#include "app/HistoryStore.h"
#include "app/InboxList.h"
#include "app/RecordExport.h"
#include "app/ReportStore.h"
#include "win/Dpi.h"
#include "win/LocalTime.h"

namespace {

// The columns of the threads and of the thread's messages, and the shares
// of the lists' widths (in percent) of all but the last, which takes the rest.
enum { kColumnName, kColumnLast };
enum { kColumnWay, kColumnTime, kColumnState, kColumnText };
const int kNamePercent = 45;
const int kMessagePercents[] = {10, 35, 17};

constexpr CControlItem kControls[] = {
    {IDC_CONV_LIST, EControlKind::ListView},
    {IDC_CONV_MESSAGES, EControlKind::ListView},
    {IDC_CONV_SEARCH_LABEL, EControlKind::Static},
    {IDC_CONV_SEARCH, EControlKind::Edit},
    {IDC_CONV_NAME, EControlKind::Static},
    {IDC_CONV_TEXT, EControlKind::Edit},
    {IDC_CONV_REPLY_LABEL, EControlKind::Static},
    {IDC_CONV_REPLY, EControlKind::Edit},
    {IDC_CONV_COUNT, EControlKind::Static},
    {IDC_CONV_STATUS, EControlKind::Static},
    {IDC_CONV_SEND, EControlKind::Button},
    {IDC_CONV_EXPORT, EControlKind::Button},
    {IDC_CONV_OK, EControlKind::Button},
};

const WChar kNoReply[] = WSTR("Cannot reply to an alphanumeric sender");

// The History writes its times as the locale's formats give them, without
// the user's changes; read back in the computer's zone. The zone's offset is
// looked up once per hour of the records (they come in order), not for each.
class CHistoryTimeReader {
public:
    CHistoryTimeReader()
        : m_order(DateOrderOf(GetDefaultLocaleText(LOCALE_SSHORTDATE))), m_strAm(GetDefaultLocaleText(LOCALE_S1159)),
          m_strPm(GetDefaultLocaleText(LOCALE_S2359))
    {
    }

    int64_t operator()(const WString& strTime)
    {
        CLocalTime time;
        if (!ParseRecordTime(strTime, m_order, m_strAm, m_strPm, time))
            return 0;
        const int64_t nHour = ((time.nYear * 16LL + time.nMonth) * 32 + time.nDay) * 24 + time.nHour;
        if (nHour != m_nHour) {
            m_nHour = nHour;
            m_nHourUtc = LocalTimeToUtc(time.nYear, time.nMonth, time.nDay, time.nHour, 0, 0);
        }
        return m_nHourUtc ? m_nHourUtc + time.nMinute * 60 + time.nSecond : 0;
    }

private:
    EDateOrder m_order;
    WString m_strAm, m_strPm;
    int64_t m_nHour = -1;      // the last hour looked up, and its start in UTC
    int64_t m_nHourUtc = 0;
};

WString TimeText(const CConversationMsg& msg)
{
    return msg.nTime ? FormatLocalTime(msg.nTime) : msg.strTime;
}

WString StateCell(const CConversationMsg& msg)
{
    if (!msg.bOut)
        return WString();
    switch (msg.delivery.state) {
    case EMessageDelivery::DELIVERY_PENDING: return WSTR("Pending");
    case EMessageDelivery::DELIVERY_DELIVERED: return WSTR("Delivered");
    case EMessageDelivery::DELIVERY_FAILED: return WSTR("Failed");
    case EMessageDelivery::DELIVERY_UNCONFIRMED: return WSTR("Not confirmed");
    default: return WSTR("Sent");
    }
}

// A sent message's state in full, a delivery's time in the user's format.
WString StateLine(const CDeliverySummary& delivery)
{
    if (delivery.state == EMessageDelivery::DELIVERY_DELIVERED && delivery.time.bValid)
        return WSTR("Delivered ") + FormatLocalTime(delivery.time.ToUnixTime());
    return DescribeDelivery(delivery);
}

// The first line of a text, for a cell.
WString FirstLine(const WString& strText)
{
    return strText.substr(0, strText.find_first_of(WSTR("\r\n")));
}

} // namespace

CConversationsDlg::CConversationsDlg(CConversationsHost& host, const WString& strInboxPath, const WString& strNumber)
    : CListDetailDlg(IDD_CONVERSATIONS, SkinBitmapIndex::SBI_CONVERSATIONS, kControls, IDC_CONV_LIST, IDC_CONV_SEARCH),
      m_host(host), m_strPath(strInboxPath), m_strSelect(strNumber)
{
}

void CConversationsDlg::OnInitDialog()
{
    SetWindowText(WSTR("Conversations"));
    CenterWindow(::GetWindow(m_hWnd, GW_OWNER));
    InitColumns();
    UpdateCharCount();
    Refresh();
}

void CConversationsDlg::InitColumns()
{
    const int cxScroll = GetSystemMetricForDpi(SM_CXVSCROLL, GetWindowDpi(m_hWnd));
    const CListView threads = List();
    threads.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxThreads = threads.GetClientRect().right - cxScroll;
    threads.InsertColumn(kColumnName, L"Conversation", cxThreads * kNamePercent / 100);
    threads.InsertColumn(kColumnLast, L"Last message", cxThreads - cxThreads * kNamePercent / 100);
    const CListView messages = Messages();
    messages.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int cxMessages = messages.GetClientRect().right - cxScroll;
    const wchar_t* const apszNames[] = {L"", L"Time", L"State", L"Message"};
    int cxLeft = cxMessages;
    for (int i = kColumnWay; i <= kColumnText; ++i) {
        const int cx = i < kColumnText ? cxMessages * kMessagePercents[i] / 100 : cxLeft;
        messages.InsertColumn(i, apszNames[i], cx);
        cxLeft -= cx;
    }
}

// Both stores read whole, under their locks, each time: what the console
// tool or the receiving stored meanwhile shows too.
void CConversationsDlg::Refresh()
{
    if (const CConversation* pShown = Shown())
        m_strSelect = pShown->strNumber;
    CSettingsListKey key;
    CAppDataFolder folder;
    CInboxList inbox;
    inbox.Load(m_strPath);
    if (!inbox.GetLoadError().empty())
        ShowStatus(Utf8ToWide(inbox.GetLoadError()));
    std::vector<CReceivedMsg> received;
    received.reserve(inbox.GetCount());
    for (size_t i = 0; i < inbox.GetCount(); ++i)
        received.push_back(inbox.GetMessage(i));
    CHistoryTimeReader reader;
    m_list.Build(CHistoryStore(key, folder).ReadList(), CReportStore(key).Read(), received, m_host.GetContacts(),
                 std::ref(reader));
    m_nShown = SIZE_MAX;
    Search();
}

void CConversationsDlg::ShowThread(const WString& strNumber)
{
    m_strSelect = strNumber;
    m_nShown = SIZE_MAX;
    GetDlgItem(IDC_CONV_SEARCH).SetWindowText(WString());  // its EN_CHANGE searches
    Search();
}

// As one types: the threads that hold the text, newest first; the thread
// asked for is selected, else the newest.
void CConversationsDlg::Search()
{
    m_aRows = m_list.Search(GetSearchText());
    const int nWanted = m_strSelect.empty() ? -1 : m_list.Find(m_strSelect);
    int nRow = m_aRows.empty() ? -1 : 0;
    for (size_t i = 0; i < m_aRows.size(); ++i) {
        if (static_cast<int>(m_aRows[i]) == nWanted)
            nRow = static_cast<int>(i);
    }
    const CListView list = List();
    list.SetItemCount(static_cast<int>(m_aRows.size()));
    list.Invalidate();
    if (nRow >= 0 && list.GetNextSelected() != nRow) {
        list.SelectItem(nRow);
        list.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nRow), FALSE);
    } else {
        ShowSelected();
    }
}

const CConversation* CConversationsDlg::ThreadOfRow(int nRow) const
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_aRows.size())
        return nullptr;
    return &m_list.Get(m_aRows[static_cast<size_t>(nRow)]);
}

void CConversationsDlg::OnGetDispInfo(NMLVDISPINFOW& info) const
{
    const CConversation* pThread = ThreadOfRow(info.item.iItem);
    if (!pThread || !(info.item.mask & LVIF_TEXT))
        return;
    if (info.item.iSubItem == kColumnLast) {
        const CConversationMsg& last = pThread->GetLast();
        CopyCell((last.bOut ? WSTR("You: ") : WString()) + FirstLine(last.strText), info);
        return;
    }
    const WString strName = pThread->strName.empty() ? pThread->GetDisplayName() : pThread->strName;
    CopyCell(pThread->nUnread ? WSTR("[") + Utf8ToWide(std::to_string(pThread->nUnread)) + WSTR(" new] ") + strName
                              : strName,
             info);
}

// The thread's messages, the newest selected; its received ones are seen now.
// Without a thread, a number asked for (no message yet) can still be written to.
void CConversationsDlg::ShowSelected()
{
    const int nRow = List().GetNextSelected();
    const CConversation* pThread = ThreadOfRow(nRow);
    m_nShown = pThread ? m_aRows[static_cast<size_t>(nRow)] : SIZE_MAX;
    if (pThread)
        m_strSelect = pThread->strNumber;
    const bool bNumberAlone = !pThread && !m_strSelect.empty() && m_list.Find(m_strSelect) < 0;
    m_strReplyTo = pThread && pThread->bCanReply ? pThread->strNumber
                   : bNumberAlone && CInboxList::CanReplyTo(m_strSelect) ? m_strSelect
                                                                          : WString();
    const CWindow name = GetDlgItem(IDC_CONV_NAME);
    name.SetWindowText(pThread ? pThread->GetDisplayName() : bNumberAlone ? m_strSelect : WString());
    name.Invalidate();
    if (pThread && !pThread->bCanReply)
        ShowStatus(kNoReply);
    else if (GetDlgItem(IDC_CONV_STATUS).GetWindowText() == kNoReply)
        ShowStatus(WString());
    const CListView messages = Messages();
    const int nCount = pThread ? static_cast<int>(pThread->messages.size()) : 0;
    messages.SetItemCount(nCount);
    messages.Invalidate();
    if (nCount && messages.GetNextSelected() != nCount - 1) {
        messages.SelectItem(nCount - 1);
        messages.SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nCount - 1), FALSE);
    } else {
        ShowMessage();
    }
    if (pThread && pThread->nUnread)
        MarkSeen(m_nShown);
    UpdateSend();
}

// The selected message's whole text, a sent one's state above it.
void CConversationsDlg::ShowMessage()
{
    const CConversation* pThread = Shown();
    const int nRow = Messages().GetNextSelected();
    WString strText;
    if (pThread && nRow >= 0 && static_cast<size_t>(nRow) < pThread->messages.size()) {
        const CConversationMsg& msg = pThread->messages[static_cast<size_t>(nRow)];
        strText = msg.bOut ? StateLine(msg.delivery) + WSTR("\n") + msg.strText : msg.strText;
    }
    GetDlgItem(IDC_CONV_TEXT).SetWindowText(WithCrLf(strText));
}

void CConversationsDlg::OnMessageDispInfo(NMLVDISPINFOW& info) const
{
    const CConversation* pThread = Shown();
    if (!pThread || !(info.item.mask & LVIF_TEXT) || info.item.iItem < 0 ||
        static_cast<size_t>(info.item.iItem) >= pThread->messages.size())
        return;
    const CConversationMsg& msg = pThread->messages[static_cast<size_t>(info.item.iItem)];
    switch (info.item.iSubItem) {
    case kColumnWay: CopyCell(msg.bOut ? WSTR("Out") : WSTR("In"), info); break;
    case kColumnTime: CopyCell(TimeText(msg), info); break;
    case kColumnState: CopyCell(StateCell(msg), info); break;
    default: CopyCell(FirstLine(msg.strText), info); break;
    }
}

// The thread's unread count goes; the file says so for the Inbox too.
void CConversationsDlg::MarkSeen(size_t nThread)
{
    std::string strError;
    if (!CInboxList::MarkSeen(m_strPath, m_list.MarkSeen(nThread), strError))
        Trace("The inbox file keeps its new messages: %s\n", strError.c_str());
    List().Invalidate();
}

bool CConversationsDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_CONV_OK: EndDialog(IDOK); return true;
    case IDC_CONV_SEND: OnSend(); return true;
    case IDC_CONV_EXPORT: OnExport(); return true;
    default: return false;
    }
}

bool CConversationsDlg::OnCommand(int nId, int nCode)
{
    if (nId != IDC_CONV_REPLY)
        return CListDetailDlg::OnCommand(nId, nCode);
    if (nCode == EN_CHANGE)
        UpdateCharCount();
    return true;
}

bool CConversationsDlg::OnNotify(NMHDR& hdr)
{
    if (hdr.idFrom != IDC_CONV_MESSAGES)
        return CListDetailDlg::OnNotify(hdr);
    if (hdr.code == LVN_GETDISPINFOW) {
        OnMessageDispInfo(reinterpret_cast<NMLVDISPINFOW&>(hdr));
    } else if (hdr.code == LVN_ITEMCHANGED) {
        const NMLISTVIEW& change = reinterpret_cast<const NMLISTVIEW&>(hdr);
        if ((change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
            ShowMessage();
    }
    return true;
}

// The text is taken now: the box is emptied for the next reply, and gets it
// back when it went to nobody.
void CConversationsDlg::OnSend()
{
    if (m_strReplyTo.empty() || m_host.IsRequestRunning())
        return;
    const CWindow reply = GetDlgItem(IDC_CONV_REPLY);
    const WString strText = reply.GetWindowText();
    m_host.SendReply(m_strReplyTo, strText);
    if (!m_host.IsRequestRunning())
        return;
    m_strSending = strText;
    reply.SetWindowText(WString());
    UpdateCharCount();
    UpdateSend();
}

void CConversationsDlg::OnReplyEnded(bool bSent)
{
    const CWindow reply = GetDlgItem(IDC_CONV_REPLY);
    if (!bSent && reply.GetWindowText().empty()) {
        reply.SetWindowText(m_strSending);
        UpdateCharCount();
    }
    m_strSending.clear();
}

void CConversationsDlg::OnRequestEnded()
{
    Refresh();
    UpdateSend();
}

void CConversationsDlg::ShowStatus(const WString& strText)
{
    ShowStatusOn(IDC_CONV_STATUS, strText);
}

// The thread shown, oldest first, as a spreadsheet reads it.
void CConversationsDlg::OnExport()
{
    const CConversation* pThread = Shown();
    if (!pThread)
        return;
    WString strPath = WSTR("conversation.csv");
    if (!AskCsvPath(strPath))
        return;
    ShowStatus(WriteExport(strPath, FormatConversationCsv(*pThread, GetListSeparator()), pThread->messages.size(),
                           L"messages"));
}

// One request at a time: Send waits while another runs (its own send too).
void CConversationsDlg::UpdateSend()
{
    const CWindow send = GetDlgItem(IDC_CONV_SEND);
    send.EnableWindow(!m_strReplyTo.empty() && !m_host.IsRequestRunning());
    send.Invalidate();
}

void CConversationsDlg::UpdateCharCount()
{
    const CWindow label = GetDlgItem(IDC_CONV_COUNT);
    label.SetWindowText(FormatCharCount(CountChars(GetDlgItem(IDC_CONV_REPLY).GetWindowText())));
    label.Invalidate();
}
