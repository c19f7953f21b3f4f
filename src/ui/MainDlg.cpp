#include "ui/MainDlg.h"

#include <ctime>

#include "app/ReportStore.h"
#include "app/InboxList.h"
#include "app/SendInput.h"
#include "app/SendList.h"
#include "base/AppSettings.h"
#include "base/Trace.h"
#include "res/resource.h"
#include "sms/Msg.h"
#include "ui/AboutDlg.h"
#include "ui/ContactsDlg.h"
#include "ui/FeedbackDlg.h"
#include "ui/HistoryDlg.h"
#include "ui/PinDlg.h"
#include "ui/WindowPosition.h"
#include "win/AppModule.h"
#include "win/Dpi.h"
#include "win/FocusKeeper.h"

namespace {

// The request buttons: disabled while a request runs or no port is known.
const int kRequestButtons[] = {IDC_SEND, IDC_SAVE_IN_MEMORY, IDC_REFRESH, IDC_TEST_PORT};

// In the order they are attached.
constexpr CControlItem kControls[] = {
    {IDC_PORT, EControlKind::ComboBox},
    {IDC_CONTACT, EControlKind::ComboBox},
    {IDC_NUMBER, EControlKind::NumberBox},
    {IDC_CHAR_COUNT, EControlKind::Static},
    {IDC_STATUS, EControlKind::Static},
    {IDC_STATUS_NOTE, EControlKind::Static},
    {IDC_PORT_LABEL, EControlKind::Static},
    {IDC_GROUP_STATUS, EControlKind::Static},
    {IDC_GROUP_PORT, EControlKind::Static},
    {IDC_GROUP_RECIPIENTS, EControlKind::Static},
    {IDC_GROUP_MESSAGE, EControlKind::Static},
    {IDC_CANCEL_REQUEST, EControlKind::Button},
    {IDC_TEST_PORT, EControlKind::Button},
    {IDC_REFRESH, EControlKind::Button},
    {IDC_HISTORY, EControlKind::Button},
    {IDC_SEND, EControlKind::Button},
    {IDC_SAVE_IN_MEMORY, EControlKind::Button},
    {IDC_ABOUT, EControlKind::Button},
    {IDC_FEEDBACK, EControlKind::Button},
    {IDC_CLOSE, EControlKind::Button, L"X"},  // named "Close" and "Minimize" for screen readers
    {IDC_MINIMIZE, EControlKind::Button, L"_"},
    {IDC_MESSAGE, EControlKind::Edit},
    {IDC_RADIO_NUMBER, EControlKind::RadioButton},
    {IDC_RADIO_CONTACT, EControlKind::RadioButton},
    {IDC_DELIVERY_REPORT, EControlKind::CheckBox},
    {IDC_INBOX, EControlKind::Button},
    {IDC_CONTACTS, EControlKind::Button},
    {IDC_RECEIVE_MESSAGES, EControlKind::CheckBox},
    {IDC_CONVERSATIONS, EControlKind::Button},
};

} // namespace

WString CMainDlg::GetInboxPath()
{
    WString strFolder;
    const DWORD dwError = GetAppDataFolder(strFolder);
    if (dwError != ERROR_SUCCESS)
        TRACE_PAIR("No data folder for the inbox file (error %lu)\n", static_cast<unsigned long>(dwError));
    return strFolder + WSTR("inbox.json");
}

CMainDlg::CMainDlg() : CSkinnedDlg(IDD_MAIN, SkinBitmapIndex::SBI_MAIN, kControls)
{
    m_recorder.KeepHistory(m_historyKey, m_archive);
    m_session.SetRecorder(&m_recorder);
}

CMainDlg::~CMainDlg()
{
    if (IsWindow())
        DestroyWindow();
    m_SerialCom.Stop();  // in case the window never existed: then it never ran
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg)
{
    return m_hWnd && (OnCtrlEnter(*pMsg) || IsDialogMessageW(m_hWnd, pMsg));
}

bool CMainDlg::OnMessage(UINT uMsg, WPARAM /*wParam*/, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == CReceiving::WM_RECEIVING_ICON) {
        OnReceivingIcon(lParam);
        return true;
    }
    if (uMsg == WM_DPICHANGED)
        SetIcons();  // the skin and the system take it too
    else if (uMsg == CTaskbarProgress::GetButtonCreatedMessage())
        m_taskbar.Reset();
    else if (uMsg == CNotifyIcon::GetTaskbarCreatedMessage())
        m_receiving.OnTaskbarCreated();
    if (uMsg != CUiQueue::GetMessageId())
        return false;
    m_ui.Drain();
    lResult = 0;
    return true;
}

// The worker announces through this window: it stops before the window goes,
// and what it announced and nobody ran is freed.
void CMainDlg::OnDestroy()
{
    if (CMessageLoop* pLoop = GetAppModule().GetMessageLoop())
        pLoop->RemoveMessageFilter(this);
    m_receiving.Follow(m_hWnd, false, WString());  // the icon and the port's mark go with the window
    m_SerialCom.Stop();
    m_ui.Discard();
}

// --- The frame ---------------------------------------------------------------------

void CMainDlg::OnInitDialog()
{
    SetIcons();
    AddSystemMenu();
    if (!RestoreWindowPosition(m_hWnd))
        CenterWindow();
    SetWindowText(WSTR("Zandu SMS"));
    if (CMessageLoop* pLoop = GetAppModule().GetMessageLoop())
        pLoop->AddMessageFilter(this);
    UpdateCharCount();
    Status().ShowNote(WString());
    m_recipients.Attach(m_hWnd);
    CButton(GetDlgItem(IDC_DELIVERY_REPORT)).SetCheck(CAppSettings().Read(EFlag::DELIVERY_REPORT));
    CButton(GetDlgItem(IDC_RECEIVE_MESSAGES)).SetCheck(CAppSettings().Read(EFlag::RECEIVE_MESSAGES));
    UpdateUi();  // no port yet: the request buttons wait for the port list
    m_SerialCom.EnumeratePorts();
    Status().SetStatus(WSTR("Enumerating COM ports..."));
    m_ui.Attach(m_hWnd);
    m_SerialCom.Start(
        &m_ui, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
            OnSerialNotify(std::move(pOp), std::move(pError));
        },
        THREAD_PRIORITY_NORMAL);
    RestoreOutbox();
    m_updateNotice.Start(m_hWnd, m_ui);
}

// The icon in the sizes of the window's DPI: the taskbar's and the one of
// the window switcher and the system menu.
void CMainDlg::SetIcons()
{
    const UINT nDpi = GetWindowDpi(m_hWnd);
    for (const int nKind : {ICON_BIG, ICON_SMALL}) {
        const bool bBig = nKind == ICON_BIG;
        const int cx = GetSystemMetricForDpi(bBig ? SM_CXICON : SM_CXSMICON, nDpi);
        const int cy = GetSystemMetricForDpi(bBig ? SM_CYICON : SM_CYSMICON, nDpi);
        const HANDLE hIcon = LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(IDI_ZANDU), IMAGE_ICON, cx, cy, LR_SHARED);
        SendMessage(WM_SETICON, static_cast<WPARAM>(nKind), reinterpret_cast<LPARAM>(hIcon));
    }
}

// The window has no caption, but Alt+Space (and the taskbar button) opens
// the system menu, with what such a window can do: move, minimise, close.
void CMainDlg::AddSystemMenu()
{
    ModifyStyle(0, WS_SYSMENU | WS_MINIMIZEBOX);
    const HMENU hMenu = GetSystemMenu(m_hWnd, FALSE);
    for (const UINT uCommand : {SC_RESTORE, SC_SIZE, SC_MAXIMIZE})
        DeleteMenu(hMenu, uCommand, MF_BYCOMMAND);
}

// What a program that is gone (a crash, a kill, a power cut) did not send
// comes back into the window as it was typed.
void CMainDlg::RestoreOutbox()
{
    WString strFolder;
    if (GetAppDataFolder(strFolder) != ERROR_SUCCESS)
        return;
    m_pReplyOutbox = std::make_unique<COutbox>(strFolder);
    CSendRecord record;
    const bool bLeft = m_draft.OpenOutbox(strFolder, record);
    if (!bLeft)
        return;
    GetDlgItem(IDC_MESSAGE).SetWindowText(WithCrLf(record.strText));
    UpdateCharCount();
    m_recipients.ShowTyped(m_draft.GetLeft());
    Status().ShowNote(DescribeRestored(record));
}

// A finished port operation: its failure is shown, a port list fills the
// port box, and the request logic takes the step that follows.
void CMainDlg::OnSerialNotify(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
{
    const bool bPortList = pOp && pOp->m_eKind == EOpKind::OP_ENUM_PORTS;
    std::vector<std::string> aPorts;
    if (bPortList)
        aPorts.swap(pOp->m_aPorts);
    m_session.OnOperationComplete(std::move(pOp), std::move(pError));
    if (bPortList) {
        Ports().Fill(aPorts);
        UpdateUi();
        Status().SetStatus(WSTR("Ready"));
        UpdateReceiving();
    }
}

bool CMainDlg::OnTimer(UINT_PTR nId)
{
    if (nId == TIMER_DIALOGUE)
        m_session.OnTimer();
    return true;
}

ULONGLONG CMainDlg::GetCloseTime() const
{
    return m_ullCloseTime ? m_ullCloseTime : GetTickCount64();
}

bool CMainDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_ABOUT: {
        const CFocusKeeper focus;
        CAboutDlg().DoModal(GetActiveWindow());
        break;
    }
    case IDC_FEEDBACK: {
        const CFocusKeeper focus;
        CFeedbackDlg().DoModal(GetActiveWindow());
        break;
    }
    case IDC_CLOSE: Close(0); break;
    case IDC_MINIMIZE: ShowWindow(SW_MINIMIZE); break;
    case IDC_SEND: OnSendOrSave(false); break;
    case IDC_SAVE_IN_MEMORY: OnSendOrSave(true); break;
    case IDC_REFRESH: OnRefresh(); break;
    case IDC_TEST_PORT: OnTestPort(); break;
    case IDC_CANCEL_REQUEST: m_session.Cancel(); break;
    case IDC_HISTORY: OnHistory(); break;
    case IDC_INBOX: OnInbox(); break;
    case IDC_CONTACTS: OnContacts(); break;
    case IDC_RADIO_NUMBER: UpdateUi(); break;
    case IDC_DELIVERY_REPORT:
        CAppSettings().Write(EFlag::DELIVERY_REPORT, CButton(GetDlgItem(IDC_DELIVERY_REPORT)).IsChecked());
        break;
    case IDC_RECEIVE_MESSAGES:
        CAppSettings().Write(EFlag::RECEIVE_MESSAGES, CButton(GetDlgItem(IDC_RECEIVE_MESSAGES)).IsChecked());
        UpdateReceiving();
        break;
    case IDC_CONVERSATIONS: ShowConversation(WString()); break;
    case IDC_RADIO_CONTACT:
        UpdateUi();
        m_recipients.OnContactMode();
        break;
    default:
        return false;
    }
    return true;
}

bool CMainDlg::OnCommand(int nId, int nCode)
{
    switch (nId) {
    case IDCANCEL:  // Esc, or a close request from the system, with whatever notification
        Close(IDCANCEL);
        return true;
    case IDC_PORT:
        if (nCode != CBN_SELCHANGE)
            return false;
        Ports().StoreSelection();
        UpdateReceiving();
        return true;
    case IDC_CONTACT:
        if (nCode != CBN_SELCHANGE)
            return false;
        m_recipients.OnContactSelected();
        return true;
    case IDC_MESSAGE:
        if (nCode != EN_CHANGE)
            return false;
        UpdateCharCount();
        return true;
    default:
        return false;
    }
}

void CMainDlg::Close(int nExitCode)
{
    if (!CanClose())
        return;
    m_draft.LetGo();
    if (m_pReplyOutbox)
        m_pReplyOutbox->End();
    SaveWindowPosition(m_hWnd);
    // Hiding the window may take a while (Wine without a window manager
    // waits 2 s for it): the exit's time counts from here.
    m_ullCloseTime = GetTickCount64();
    DestroyWindow();
    PostQuitMessage(nExitCode);
}

// A text is lost unless it went to every recipient, and a request still
// running may be on its way with it.
bool CMainDlg::CanClose()
{
    if ((m_draft.IsSentWhole() && !m_bRequestRunning) || GetDlgItem(IDC_MESSAGE).GetWindowText().empty())
        return true;
    const WString strQuestion =
        DescribeUnsent(m_draft.GetLast().Count(ESendState::SENT), m_draft.GetLast().recipients.size(), m_bRequestRunning);
    const CFocusKeeper focus;
    return MessageBox(strQuestion + WSTR("\r\nClose anyway?"), L"Confirm", MB_ICONQUESTION | MB_OKCANCEL) == IDOK;
}

// Every control's enabled state, from what is going on: a request runs (one
// at a time), the mode, a port is known. Cancel, the message box and the
// other buttons stay usable all the time.
void CMainDlg::UpdateUi()
{
    const bool bReady = !m_bRequestRunning && Ports().HasPorts();
    const bool bNumber = m_recipients.IsNumberMode();
    const struct {
        int nId;
        bool bEnable;
    } states[] = {{IDC_SEND, bReady},           {IDC_SAVE_IN_MEMORY, bReady}, {IDC_TEST_PORT, bReady},
                  {IDC_REFRESH, bReady && !bNumber}, {IDC_NUMBER, bNumber},   {IDC_CONTACT, !bNumber}};
    const int nFocused = GetFocusedItem();
    for (const auto& state : states) {
        if (state.nId == nFocused && !state.bEnable)
            MoveFocusOff(nFocused);
    }
    for (int nId : kRequestButtons)
        GetDlgItem(nId).Invalidate();
    for (const auto& state : states)
        GetDlgItem(state.nId).EnableWindow(state.bEnable);
    if (!m_bRequestRunning)
        RestoreFocus();
}

// A disabled item takes no key, and the system leaves the focus nowhere: it
// goes to Cancel while a request runs, else to the next item.
void CMainDlg::MoveFocusOff(int nFocused)
{
    if (m_bRequestRunning) {
        m_nFocusBeforeRequest = nFocused;
        MoveFocus(IDC_CANCEL_REQUEST);
    } else {
        SendMessage(WM_NEXTDLGCTL, 0, FALSE);
    }
}

// The request is over: the keyboard goes back to the item that had it (Send
// when that one cannot take it), unless the user has taken it elsewhere or
// a dialog over the window has it (which gives it back when it closes).
void CMainDlg::RestoreFocus()
{
    const bool bOurs = IsWindowEnabled() && (GetFocusedItem() == IDC_CANCEL_REQUEST || !::GetFocus());
    if (m_nFocusBeforeRequest && bOurs) {
        const int nBack = GetDlgItem(m_nFocusBeforeRequest).IsWindowEnabled() ? m_nFocusBeforeRequest : IDC_SEND;
        if (GetDlgItem(nBack).IsWindowEnabled())
            MoveFocus(nBack);
    }
    m_nFocusBeforeRequest = 0;
}

// The dialog's item that has the focus (the number box for its edit field); 0 for none.
int CMainDlg::GetFocusedItem() const
{
    HWND hFocus = ::GetFocus();
    while (hFocus && ::GetAncestor(hFocus, GA_PARENT) != m_hWnd)
        hFocus = ::GetAncestor(hFocus, GA_PARENT);
    return hFocus ? ::GetDlgCtrlID(hFocus) : 0;
}

// As Tab moves it: a push button that takes the focus is the default one meanwhile.
void CMainDlg::MoveFocus(int nId)
{
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(nId).m_hWnd), TRUE);
}

// Ctrl+Enter sends from anywhere in the window, the message box included,
// where Enter starts a new line.
bool CMainDlg::OnCtrlEnter(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || GetKeyState(VK_CONTROL) >= 0 ||
        (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd)))
        return false;
    const CWindow send = GetDlgItem(IDC_SEND);
    if (send.IsWindowEnabled())
        SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SEND, BN_CLICKED), reinterpret_cast<LPARAM>(send.m_hWnd));
    return true;
}

void CMainDlg::UpdateCharCount()
{
    const CWindow label = GetDlgItem(IDC_CHAR_COUNT);
    label.SetWindowText(FormatCharCount(CountChars(GetDlgItem(IDC_MESSAGE).GetWindowText())));
    label.Invalidate();
    m_draft.OnEdited();
}

void CMainDlg::ShowError(const WString& strText, int nFocusItem)
{
    {
        const CFocusKeeper focus;
        MessageBox(strText, L"Error", MB_ICONERROR);
    }
    if (nFocusItem)
        GetDlgItem(nFocusItem).SetFocus();
}

// --- Sending and storing -----------------------------------------------------------

// Every recipient is resolved and checked, and the text too, before anything
// goes to the phone; each then gets its own request, one after the other.
void CMainDlg::OnSendOrSave(bool bSave)
{
    WString strPort;
    if (!CheckPort(bSave ? L"Please select the port on which to save." : L"Please select the port on which to send.",
                   strPort))
        return;
    std::vector<CSendRecipient> recipients;
    WString strMessage;
    int nFocusId = 0;
    if (!m_recipients.Resolve(recipients, strMessage, nFocusId)) {
        ShowError(strMessage, nFocusId);
        return;
    }
    // Taken now: what is typed during the send belongs to the next message.
    const WString strText = GetDlgItem(IDC_MESSAGE).GetWindowText();
    std::string strError;
    if (!CheckText(strText, strError)) {
        ShowError(AsSentence(strError), IDC_MESSAGE);
        return;
    }
    m_draft.BeginSend(strText, recipients);
    if (!StartSend(strPort, recipients, strText, bSave, m_draft.GetOutbox())) {
        m_draft.CancelSend();
        UpdateUi();
        return;
    }
    Status().ShowNote(m_recipients.GetNote());
}

bool CMainDlg::StartSend(const WString& strPort, std::vector<CSendRecipient>& recipients, const WString& strText,
                         bool bSave, COutbox* pOutbox)
{
    BeginRequest();
    // Reports asked for cost the user; awaited ones are read before the message.
    StartUpdate(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    CSendOptions options;
    options.bSave = bSave;
    options.bReports = !bSave && CAppSettings().Read(EFlag::DELIVERY_REPORT);
    options.bReadPending = !bSave && CReportStore(m_reportsKey).HasPending(std::time(nullptr));
    CSendHost& host = *this;
    if (m_session.Run(std::make_unique<CSendRequest>(host, recipients, strText, options, pOutbox, &m_recorder),
                      strPort))
        return true;
    m_bRequestRunning = false;
    return false;
}

// The thread's number, resolved and checked as the recipients box would
// resolve it, named after its contact; the boxes of this window are left
// alone, and so are the draft they hold and its journal.
void CMainDlg::SendReply(const WString& strRecipient, const WString& strText)
{
    WString strPort;
    if (m_bRequestRunning || !CheckPort(L"Please select the port on which to send.", strPort))
        return;
    std::vector<CSendRecipient> recipients;
    CResolveNotes notes;
    std::string strError;
    if (!ResolveSendList(strRecipient, GetContacts(), recipients, notes, strError) || !CheckText(strText, strError)) {
        ShowError(AsSentence(strError));
        return;
    }
    for (CSendRecipient& recipient : recipients) {
        if (recipient.contact.m_strName.empty())
            recipient.contact.m_strName = CInboxList::GetSenderName(recipient.contact.m_strNumber, GetContacts());
        if (recipient.contact.m_strName == recipient.contact.m_strNumber)
            recipient.contact.m_strName.clear();
    }
    m_bReplying = true;
    if (!StartSend(strPort, recipients, strText, false, m_pReplyOutbox.get())) {
        m_bReplying = false;
        UpdateUi();
    }
}

// The list is stored as the window changes it: the main window reads it again.
void CMainDlg::OnContacts()
{
    const CFocusKeeper focus;
    const HWND hActive = ::GetActiveWindow();
    CContactsDlg().DoModal(hActive ? hActive : m_hWnd);
    m_recipients.Reload();
}

// Send again and Reply: the recipients box in Number mode, and the text when
// one is given; nothing is sent until Send.
void CMainDlg::ComposeTo(const WString& strRecipient, const WString* pText)
{
    m_recipients.ComposeTo(strRecipient);
    UpdateUi();
    if (pText) {
        GetDlgItem(IDC_MESSAGE).SetWindowText(WithCrLf(*pText));
        UpdateCharCount();
    }
    SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(IDC_MESSAGE).m_hWnd), TRUE);
}

// The list keeps its contacts until the download has brought the new ones.
void CMainDlg::OnRefresh()
{
    WString strPort;
    if (CheckPort(L"Please select the port from which to retrieve the phonebook.", strPort)) {
        BeginRequest();
        m_session.Run(std::make_unique<CPhonebookRequest>(
                          [this](const std::vector<CContact>& phonebook) { OnPhonebook(phonebook); }),
                      strPort);
    }
}

// The contact list stays as it is: a port test brings no phone book.
void CMainDlg::OnTestPort()
{
    WString strPort;
    if (CheckPort(L"Please select the port to test.", strPort)) {
        BeginRequest();
        m_session.Run(std::make_unique<CDeviceTestRequest>(), strPort);
    }
}

// One request at a time: its buttons are disabled until its port is closed.
void CMainDlg::BeginRequest()
{
    Status().ShowNote(WString());
    m_bRequestRunning = true;
    UpdateUi();
}

// Without a data folder the path is relative and the file cannot be kept:
// nothing is deleted then.
void CMainDlg::StartUpdate(bool bDelete)
{
    m_recorder.StartInbox(GetInboxPath(), bDelete);
}

// Modal over this window; it reads the inbox file whenever a request ends.
// Its Reply opens the sender's conversation.
void CMainDlg::OnInbox()
{
    CInboxDlg dlg(*this, GetInboxPath());
    m_pInbox = &dlg;
    INT_PTR nResult = 0;
    {
        const CFocusKeeper focus;
        nResult = dlg.DoModal(m_hWnd);
    }
    m_pInbox = nullptr;
    UpdateInboxButton();
    if (nResult == IDC_INBOX_REPLY)
        ShowConversation(dlg.GetReplyTo());
}

// Modal over this window, as the Inbox, which it reads too; open, it only
// selects the thread and comes forward.
void CMainDlg::ShowConversation(const WString& strNumber)
{
    if (m_pConversations) {
        m_pConversations->ShowThread(strNumber);
        SetForegroundWindow(m_pConversations->m_hWnd);
        return;
    }
    if (m_pInbox)
        m_pInbox->EndDialog(IDCANCEL);  // one window over this one at a time
    CConversationsDlg dlg(*this, GetInboxPath(), strNumber);
    m_pConversations = &dlg;
    {
        const CFocusKeeper focus;
        dlg.DoModal(m_hWnd);
    }
    m_pConversations = nullptr;
    UpdateInboxButton();
}

void CMainDlg::OnMessagesChanged()
{
    if (m_pConversations)
        m_pConversations->Refresh();
}

// Modal over the active window, or over this one when none of the program's
// windows is active.
void CMainDlg::OnHistory()
{
    const HWND hActive = ::GetActiveWindow();
    CHistoryDlg dlg;
    m_pHistory = &dlg;
    INT_PTR nResult = 0;
    {
        const CFocusKeeper focus;
        nResult = dlg.DoModal(hActive ? hActive : m_hWnd);
    }
    m_pHistory = nullptr;
    if (nResult == IDC_HISTORY_AGAIN)
        ComposeTo(dlg.GetAgain().m_strNumber, &dlg.GetAgain().m_strText);
}

// --- The request's host ------------------------------------------------------------

void CMainDlg::OnStatus(const WString& strText, bool bTimed)
{
    WString strTime;
    const WString strStatus = bTimed && GetTimeText(strTime) ? strText + WSTR(" at ") + strTime : strText;
    Status().SetStatus(strStatus);
    if (m_pInbox)
        m_pInbox->ShowStatus(strStatus);
    if (m_pConversations)
        m_pConversations->ShowStatus(strStatus);
}

void CMainDlg::OnRequestEnded()
{
    m_bRequestRunning = false;
    m_bReading = false;
    m_taskbar.Clear(m_hWnd);
    UpdateUi();
    UpdateInboxButton();  // a send's listing may have stored messages
    if (m_pInbox)
        m_pInbox->OnRequestEnded();
    if (m_bReplying)
        EndReply(false);  // it ended before its messages did
    if (m_pConversations)
        m_pConversations->OnRequestEnded();
}

void CMainDlg::EndReply(bool bSent)
{
    m_bReplying = false;
    if (m_pConversations)
        m_pConversations->OnReplyEnded(bSent);
}

// After a failure or Cancel the recipients box keeps only those not served,
// as they were typed (not the ones not confirmed), for the next Send, which
// goes on with each message where it stopped.
void CMainDlg::OnMessagesEnded(const CSendRecord& record)
{
    if (m_bReplying) {
        EndReply(record.Count(ESendState::SENT) == record.recipients.size());
        return;
    }
    if (!m_draft.IsSending())
        return;
    m_draft.EndSend(record, GetDlgItem(IDC_MESSAGE).GetWindowText());
    if (m_recipients.IsNumberMode() && record.Count(ESendState::SENT) < record.recipients.size())
        m_recipients.ShowTyped(m_draft.GetLeft());
}

// Numbers used in Number mode are offered again, the most recent last.
void CMainDlg::OnMessageStarted(const CSendRecord& record, size_t nIndex)
{
    if (!m_recipients.IsNumberMode() || m_bReplying)
        return;
    const uint32_t dwError = m_recipients.AddUsedNumber(record.recipients[nIndex].contact.m_strNumber);
    if (dwError != ERROR_SUCCESS)
        Status().ShowStoreFailure(WSTR("save the number"), dwError);
}

void CMainDlg::AskPin(bool bRefused)
{
    const CFocusKeeper focus;
    CPinDlg dlg(bRefused);
    if (dlg.DoModal(m_hWnd) == IDOK)
        m_session.EnterPin(dlg.GetPin());
    else
        m_session.DeclinePin();
}

// The user's own contacts stay (read again: the Contacts window or the
// console tool may have changed them meanwhile).
void CMainDlg::OnPhonebook(const std::vector<CContact>& phonebook)
{
    const uint32_t dwError = m_recipients.TakePhonebook(phonebook);
    if (dwError != ERROR_SUCCESS)
        Status().ShowStoreFailure(WSTR("save the phone book"), dwError);
}

// --- CInboxHost ------------------------------------------------------------------

bool CMainDlg::OnInboxRefresh()
{
    WString strPort;
    if (!CheckPort(L"Please select the port from which to read the messages.", strPort))
        return false;
    BeginRequest();
    StartUpdate(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    m_bReading = true;
    CReadingHost& host = *this;
    m_session.Run(std::make_unique<CReadMessagesRequest>(host, &m_recorder, false), strPort);
    return true;
}

// A send the user started before opening the Inbox is never the Inbox's to cancel.
void CMainDlg::OnInboxCancel()
{
    if (IsReadingMessages())
        m_session.Cancel();
}

// --- Receiving ---------------------------------------------------------------------

// The box checked and a port chosen: listening there (the setting read at
// start-up checked the box); otherwise not.
void CMainDlg::UpdateReceiving()
{
    const bool bOn = CButton(GetDlgItem(IDC_RECEIVE_MESSAGES)).IsChecked() && Ports().HasPorts();
    m_receiving.Follow(m_hWnd, bOn, Ports().GetWindowText());
    UpdateInboxButton();
}

// The icon clicked after a message came: the window comes forward with the
// sender's conversation.
void CMainDlg::OnReceivingIcon(LPARAM lParam)
{
    WString strNumber;
    if (!m_receiving.OnIconMessage(lParam, strNumber))
        return;
    if (::IsIconic(m_hWnd))
        ShowWindow(SW_RESTORE);
    SetForegroundWindow(m_hWnd);
    ShowConversation(strNumber);
}

void CMainDlg::UpdateInboxButton()
{
    CInboxList inbox;
    if (m_receiving.IsOn())
        inbox.Load(GetInboxPath(), true);
    const size_t nNew = inbox.GetNewCount();
    const CWindow button = GetDlgItem(IDC_INBOX);
    const WString strText = nNew ? WSTR("&Inbox (") + AnsiToWide(std::to_string(nNew)) + WSTR(")") : WSTR("&Inbox...");
    if (button.GetWindowText() == strText)
        return;
    button.SetWindowText(strText);
    button.Invalidate();
    TRACE_PAIR("Inbox button: %s\n", WideToUtf8(strText).c_str());  // the moment a message shows
}

void CMainDlg::OnReceivingStatus(const WString& strText)
{
    if (!m_bRequestRunning)
        OnStatus(strText, false);
}

void CMainDlg::OnInboxChanged()
{
    UpdateInboxButton();
    if (m_pInbox)
        m_pInbox->OnMessageStored();
    OnMessagesChanged();
}

void CMainDlg::OnDeliveryChanged()
{
    if (m_pHistory)
        m_pHistory->ShowDelivery();
    OnMessagesChanged();
}
