#include "ui/MainDlg.h"

#include <ctime>

#include "base/AppSettings.h"
#include "base/AppDataFolder.h"
#include "base/Settings.h"
#include "base/SettingsListKey.h"
#include "base/Trace.h"
#include "base/Util.h"
#include "res/resource.h"
#include "sms/Msg.h"
#include "ui/AboutDlg.h"
#include "app/ContactStore.h"
#include "ui/ContactsDlg.h"
#include "ui/DontAskMsgBox.h"
#include "ui/FeedbackDlg.h"
#include "ui/HistoryDlg.h"
#include "app/HistoryStore.h"
#include "ui/InboxDlg.h"
#include "app/NumberList.h"
#include "app/HistoryRecord.h"
#include "ui/PinDlg.h"
#include "app/ReportStore.h"
#include "app/SendInput.h"
#include "win/AppModule.h"

namespace {

const wchar_t kEnablePort[] = L"\r\nIf none are listed, you must enable one in your mobile phone software.";

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
    {IDC_CLOSE, EControlKind::Button},
    {IDC_MINIMIZE, EControlKind::Button},
    {IDC_MESSAGE, EControlKind::Edit},
    {IDC_RADIO_NUMBER, EControlKind::RadioButton},
    {IDC_RADIO_CONTACT, EControlKind::RadioButton},
    {IDC_DELIVERY_REPORT, EControlKind::CheckBox},
    {IDC_INBOX, EControlKind::Button},
    {IDC_CONTACTS, EControlKind::Button},
};

// The texts of the input checks are shared with the console tool, which
// prints them in lower case after its name; a message box begins a sentence.
WString Sentence(const std::string& strText)
{
    WString str = Utf8ToWide(strText);
    if (!str.empty() && str[0] >= L'a' && str[0] <= L'z')
        str[0] = static_cast<wchar_t>(str[0] - L'a' + L'A');
    return str;
}

} // namespace

// The history's time: the date and time as the History shows them.
WString CMainDlg::GetRecordTime()
{
    WString strDate, strTime;
    return GetDateText(strDate) && GetTimeText(strTime) ? strDate + WSTR(" ") + strTime : WString();
}

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
    m_Requests.SetRecorder(&m_recorder);
}

CMainDlg::~CMainDlg()
{
    if (IsWindow())
        DestroyWindow();
    m_SerialCom.Stop();  // in case the window never existed: then it never ran
    m_pUpdateCheck.reset();  // stops a check still running, as at exit
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg)
{
    return m_hWnd && IsDialogMessageW(m_hWnd, pMsg);
}

bool CMainDlg::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (uMsg == WM_ASK_PIN)
        AskPin(wParam != 0);
    else if (uMsg == WM_SERIAL_NOTIFY)
        OnSerialNotify(wParam, lParam);
    else
        return false;
    lResult = 0;
    return true;
}

// The worker announces to this window: it stops before the window goes.
void CMainDlg::OnDestroy()
{
    if (CMessageLoop* pLoop = GetAppModule().GetMessageLoop())
        pLoop->RemoveMessageFilter(this);
    StopSerialWorker();
}

// --- The frame ---------------------------------------------------------------------

void CMainDlg::OnInitDialog()
{
    SendMessage(WM_SETICON, ICON_BIG,
                reinterpret_cast<LPARAM>(LoadIconW(GetResourceInstance(), MAKEINTRESOURCEW(IDI_ZANDU))));
    CenterWindow();
    SetWindowText(WSTR("Zandu SMS"));
    if (CMessageLoop* pLoop = GetAppModule().GetMessageLoop())
        pLoop->AddMessageFilter(this);
    UpdateCharCount();
    LayOutStatus(false);
    CButton(GetDlgItem(IDC_RADIO_NUMBER)).SetCheck(true);
    CButton(GetDlgItem(IDC_DELIVERY_REPORT)).SetCheck(CAppSettings().Read(EFlag::DELIVERY_REPORT));
    UpdateUi();  // no port yet: the request buttons wait for the port list
    m_SerialCom.EnumeratePorts();
    SetStatus(WSTR("Enumerating COM ports..."));
    LoadContacts();
    FillContactList();
    m_SerialCom.Start(m_hWnd, THREAD_PRIORITY_NORMAL);
    FillNumberList();
    RestoreOutbox();
    StartUpdateCheck();
}

// What a program that is gone (a crash, a kill, a power cut) did not send
// comes back into the window as it was typed.
void CMainDlg::RestoreOutbox()
{
    WString strFolder;
    if (GetAppDataFolder(strFolder) != ERROR_SUCCESS)
        return;
    m_pOutbox = std::make_unique<COutbox>(strFolder);
    m_Requests.SetOutbox(m_pOutbox.get());
    COutboxEntry entry;
    if (!m_pOutbox->TakeLeft(entry))
        return;
    m_left = CLeftOver{entry.strText, {}};
    for (const COutboxRecipient& r : entry.recipients) {
        if (r.eState != EOutboxState::WAITING && r.eState != EOutboxState::FAILED)
            continue;
        CSendRecipient recipient;
        recipient.strTyped = r.strTyped;
        recipient.contact = CContact(r.strName, r.strNumber);
        recipient.nRef = r.nRef;
        recipient.nPartsDone = r.nParts;
        m_left.recipients.push_back(recipient);
    }
    GetDlgItem(IDC_MESSAGE).SetWindowText(WithCrLf(entry.strText));
    UpdateCharCount();
    GetDlgItem(IDC_NUMBER).SetWindowText(JoinTyped(m_left.recipients));
    ShowStatusNote(DescribeRestored(entry));
}

// A finished port operation: its failure is shown, a port list fills the
// port box, and the request logic takes the step that follows.
void CMainDlg::OnSerialNotify(WPARAM wParam, LPARAM lParam)
{
    CSerialAnnouncement ann = TakeAnnouncement(wParam, lParam);
    const bool bPortList = ann.pOp && ann.pOp->m_eKind == EOpKind::OP_ENUM_PORTS;
    std::vector<std::string> aPorts;
    if (bPortList)
        aPorts.swap(ann.pOp->m_aPorts);
    m_Requests.OnOperationComplete(std::move(ann.pOp), std::move(ann.pError));
    if (bPortList) {
        FillPortList(aPorts);
        SetStatus(WSTR("Ready"));
    }
}

// The worker announces to this window: it is stopped, and what it has
// announced is freed, while the window is still there to be posted to.
void CMainDlg::StopSerialWorker()
{
    m_SerialCom.Stop();
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WM_SERIAL_NOTIFY, WM_SERIAL_NOTIFY, PM_REMOVE))
        TakeAnnouncement(msg.wParam, msg.lParam);
}

bool CMainDlg::OnTimer(UINT_PTR nId)
{
    if (nId == TIMER_DIALOGUE)
        m_Requests.OnTimer();
    else if (nId == TIMER_UPDATE_CHECK)
        OnUpdateCheckTimer();
    return true;
}

// Once per start, unless the user said "Don't ask again".
void CMainDlg::StartUpdateCheck()
{
    if (!CAppSettings().Read(EFlag::ALLOW_CHECK))
        return;
    m_pUpdateCheck = std::make_unique<CCheckForUpdates>();
    m_pUpdateCheck->Start(THREAD_PRIORITY_NORMAL);
    CDialog::SetTimer(TIMER_UPDATE_CHECK, 1000);
}

ULONGLONG CMainDlg::GetCloseTime() const
{
    return m_ullCloseTime ? m_ullCloseTime : GetTickCount64();
}

void CMainDlg::StopUpdateCheck(ULONGLONG ullDeadline)
{
    if (m_pUpdateCheck)
        m_pUpdateCheck->Stop(ullDeadline);
}

// The notice is shown at most once: the timer stops at the first tick that
// finds the check over.
void CMainDlg::OnUpdateCheckTimer()
{
    if (!m_pUpdateCheck || !m_pUpdateCheck->IsDone())
        return;
    CDialog::KillTimer(TIMER_UPDATE_CHECK);
    const CAppSettings settings;
    if (!m_pUpdateCheck->IsUpdateAvailable() || !settings.Read(EFlag::ALLOW_CHECK))
        return;
    CDontAskMsgBox box;
    if (box.DoModal(m_hWnd, m_pUpdateCheck->GetNoticeText(), CCheckForUpdates::kNoticeCaption) == IDYES)
        ShellOpen(CCheckForUpdates::GetDownloadUrl());
    settings.Write(EFlag::ALLOW_CHECK, !box.m_bDontAsk);
}

bool CMainDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_ABOUT:
        CAboutDlg().DoModal(GetActiveWindow());
        return true;
    case IDC_FEEDBACK:
        CFeedbackDlg().DoModal(GetActiveWindow());
        return true;
    case IDC_CLOSE:
        Close(0);
        return true;
    case IDC_MINIMIZE:
        ShowWindow(SW_MINIMIZE);
        return true;
    case IDC_SEND:
    case IDC_SAVE_IN_MEMORY:
        OnSendOrSave(nId == IDC_SAVE_IN_MEMORY);
        return true;
    case IDC_REFRESH:
        OnRefresh();
        return true;
    case IDC_TEST_PORT:
        OnTestPort();
        return true;
    case IDC_CANCEL_REQUEST:
        m_Requests.Cancel();
        return true;
    case IDC_HISTORY:
        OnHistory();
        return true;
    case IDC_INBOX:
        OnInbox();
        return true;
    case IDC_CONTACTS:
        OnContacts();
        return true;
    case IDC_DELIVERY_REPORT:
        CAppSettings().Write(EFlag::DELIVERY_REPORT, CButton(GetDlgItem(IDC_DELIVERY_REPORT)).IsChecked());
        return true;
    case IDC_RADIO_NUMBER:
        UpdateMode();
        return true;
    case IDC_RADIO_CONTACT:
        UpdateMode();
        ShowContactNumber();
        return true;
    default:
        return false;
    }
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
        CAppSettings().Write(ETextSetting::PORT, PortBox().GetWindowText());
        return true;
    case IDC_CONTACT:
        if (nCode != CBN_SELCHANGE)
            return false;
        OnContactSelected();
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
    if (m_pOutbox)
        m_pOutbox->End();  // what was not sent, the user let go
    // Hiding the window may take a while (Wine without a window manager
    // waits 2 s for it): the exit's time counts from here.
    m_ullCloseTime = GetTickCount64();
    DestroyWindow();
    PostQuitMessage(nExitCode);
}

// A text is lost unless it went to every recipient, and a request still
// running may be on its way with it.
// The question of a partial send names the count.
bool CMainDlg::CanClose()
{
    if ((m_bSent && !m_bRequestRunning) || GetDlgItem(IDC_MESSAGE).GetWindowText().empty())
        return true;
    const size_t nSent = m_Requests.GetMessagesDone();
    const size_t nCount = m_Requests.GetRecipientCount();
    const WString strQuestion =
        nSent > 0 && nSent < nCount && !m_bRequestRunning
            ? AnsiToWide("Your message has been sent to " + std::to_string(nSent) + " of " + std::to_string(nCount) +
                         " recipients; " + std::to_string(nCount - nSent) + (nCount - nSent == 1 ? " has" : " have") +
                         " not got it.")
            : WString(WSTR("Your message has not been sent."));
    return MessageBox(strQuestion + WSTR("\r\nClose anyway?"), L"Confirm", MB_ICONQUESTION | MB_OKCANCEL) == IDOK;
}

void CMainDlg::SetStatus(const WString& strText)
{
    const CWindow status = GetDlgItem(IDC_STATUS);
    status.SetWindowText(strText);
    status.Invalidate();
    Trace("%s\n", WideToAnsi(strText).c_str());
}

// A list that could not be stored: said on the line under the status, so the
// status beside it ("Message sent to ...") still tells what did happen. It
// stays until the next request begins.
void CMainDlg::ShowStoreFailure(const WString& strWhat, uint32_t dwError)
{
    ShowStatusNote(DescribeStoreFailure(strWhat, dwError, GetSystemErrorText(dwError)));
}

void CMainDlg::ShowStatusNote(const WString& strText)
{
    const CWindow note = GetDlgItem(IDC_STATUS_NOTE);
    note.SetWindowText(strText);
    note.Invalidate();
    LayOutStatus(!strText.empty());
    if (!strText.empty())
        Trace("%s\n", WideToAnsi(strText).c_str());
}

// A long status (a port test's words, a message not confirmed) takes both
// lines of the status display, wrapped, while no note is shown under it.
void CMainDlg::LayOutStatus(bool bNote)
{
    const CWindow status = GetDlgItem(IDC_STATUS);
    const CWindow note = GetDlgItem(IDC_STATUS_NOTE);
    const RECT rcStatus = status.GetRectIn(m_hWnd);
    const RECT rcNote = note.GetRectIn(m_hWnd);
    const int cy = bNote ? rcNote.top - rcStatus.top : rcNote.bottom - rcStatus.top;
    status.ModifyStyle(bNote ? 0 : SS_ENDELLIPSIS, bNote ? SS_ENDELLIPSIS : 0);
    status.SetWindowPos(nullptr, 0, 0, rcStatus.right - rcStatus.left, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    note.ShowWindow(bNote ? SW_SHOWNA : SW_HIDE);
    status.Invalidate();
}

// Every control's enabled state, from what is going on: a request runs (one
// at a time), the mode, a port is known. Cancel, the message box and the
// other buttons stay usable all the time.
void CMainDlg::UpdateUi()
{
    const bool bReady = !m_bRequestRunning && HasPort();
    const bool bNumber = IsNumberMode();
    for (int nId : kRequestButtons)
        GetDlgItem(nId).Invalidate();
    GetDlgItem(IDC_SEND).EnableWindow(bReady);
    GetDlgItem(IDC_SAVE_IN_MEMORY).EnableWindow(bReady);
    GetDlgItem(IDC_TEST_PORT).EnableWindow(bReady);
    GetDlgItem(IDC_REFRESH).EnableWindow(bReady && !bNumber);
    GetDlgItem(IDC_NUMBER).EnableWindow(bNumber);
    GetDlgItem(IDC_CONTACT).EnableWindow(!bNumber);
}

// In the order of the enumeration, though the box sorts what is added.
void CMainDlg::FillPortList(const std::vector<std::string>& aPorts)
{
    const CComboBox box = PortBox();
    for (size_t i = 0; i < aPorts.size(); ++i)
        box.InsertString(static_cast<int>(i), AnsiToWide(aPorts[i]));
    // Exactly the port stored (in any case), lest "COM1" select COM12.
    const WString strPort = CAppSettings().Read(ETextSetting::PORT);
    const int nFound = strPort.empty() ? CB_ERR : box.FindStringExact(strPort);
    box.SetCurSel(nFound == CB_ERR ? 0 : nFound);
    UpdateUi();
}

void CMainDlg::UpdateCharCount()
{
    const CWindow label = GetDlgItem(IDC_CHAR_COUNT);
    label.SetWindowText(FormatCharCount(CountChars(GetDlgItem(IDC_MESSAGE).GetWindowText())));
    label.Invalidate();
    m_bSent = false;
}

void CMainDlg::ShowError(const WString& strText, int nFocusItem)
{
    MessageBox(strText, L"Error", MB_ICONERROR);
    if (nFocusItem)
        GetDlgItem(nFocusItem).SetFocus();
}

CComboBox CMainDlg::PortBox() const
{
    return CComboBox(GetDlgItem(IDC_PORT));
}

CComboBox CMainDlg::ContactBox() const
{
    return CComboBox(GetDlgItem(IDC_CONTACT));
}

bool CMainDlg::IsNumberMode() const
{
    return CButton(GetDlgItem(IDC_RADIO_NUMBER)).IsChecked();
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
    if (!ParseRecipients(recipients))
        return;
    // Taken now: what is typed during the send belongs to the next message.
    const WString strText = GetDlgItem(IDC_MESSAGE).GetWindowText();
    std::string strError;
    if (!CheckText(strText, strError)) {
        ShowError(Sentence(strError), IDC_MESSAGE);
        return;
    }
    GoOnFrom(m_left, strText, recipients);
    BeginRequest();
    ShowStatusNote(m_strRecipientNote);
    m_bSent = false;  // until every recipient has it
    m_bSending = true;
    m_strSentText = strText;
    // Reports asked for cost the user; awaited ones are read before the message.
    StartUpdate(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    m_Requests.SetDeliveryReports(!bSave && CAppSettings().Read(EFlag::DELIVERY_REPORT),
                                  !bSave && CReportStore(m_reportsKey).HasPending(std::time(nullptr)));
    const bool bStarted =
        bSave ? m_Requests.Save(strPort, recipients, strText) : m_Requests.Send(strPort, recipients, strText);
    if (!bStarted) {
        m_bRequestRunning = m_bSending = false;
        UpdateUi();
    }
}

// Number mode: the recipients box, numbers and phone-book names separated by
// semicolons. Contact mode: the contact selected in the list, carried as it
// is (its name may begin with a digit).
bool CMainDlg::ParseRecipients(std::vector<CSendRecipient>& recipients)
{
    recipients.clear();
    m_strRecipientNote.clear();
    std::string strError;
    if (!IsNumberMode() && GetSelectedGroup())
        return ParseSelectedGroup(recipients);
    if (!IsNumberMode()) {
        const CContact* pContact = GetSelectedContact();
        if (!pContact) {
            ShowError(WSTR("Please select a recipient"), IDC_CONTACT);
            return false;
        }
        if (!CheckNumber(pContact->m_strNumber, strError)) {
            ShowError(Sentence(strError), IDC_CONTACT);
            return false;
        }
        CSendRecipient recipient;
        recipient.strTyped = pContact->GetDisplayName();
        recipient.contact = *pContact;
        recipients.push_back(recipient);
        return true;
    }
    const WString strField = GetDlgItem(IDC_NUMBER).GetWindowText();
    if (strField.empty()) {
        ShowError(WSTR("Please enter the recipients' numbers"), IDC_NUMBER);
        return false;
    }
    CResolveNotes notes;
    if (!ResolveSendList(strField, m_lstContacts, recipients, notes, strError)) {
        ShowError(Sentence(strError), IDC_NUMBER);
        return false;
    }
    m_strRecipientNote = DescribeResolveNotes(notes);
    return true;
}

// --- Contacts and numbers ----------------------------------------------------------

void CMainDlg::LoadContacts()
{
    CSettingsListKey key;
    m_lstContacts = CContactStore(key).Load();
}

void CMainDlg::FillContactList()
{
    const CComboBox box = ContactBox();
    box.ResetContent();
    for (size_t i = 0; i < m_lstContacts.size(); ++i)
        box.SetItemData(box.AddString(m_lstContacts[i].GetDisplayName()), static_cast<LRESULT>(i));
    AddGroupItems();
    if (box.GetCount() == 0)
        return;
    if (box.SelectString(CAppSettings().Read(ETextSetting::CONTACT)) == CB_ERR)
        box.SetCurSel(0);
    if (!IsNumberMode())
        ShowContactNumber();
}

// In Contact mode the disabled recipients box shows the number the message
// goes to; in Number mode it holds what the user typed, which nothing else
// may replace.
void CMainDlg::ShowContactNumber()
{
    if (const CContact* pContact = GetSelectedContact())
        GetDlgItem(IDC_NUMBER).SetWindowText(pContact->m_strNumber);
    else if (const WString* pGroup = GetSelectedGroup())
        GetDlgItem(IDC_NUMBER).SetWindowText(*pGroup);
}

void CMainDlg::SaveContacts()
{
    CSettingsListKey key;
    const uint32_t dwError = CContactStore(key).Save(m_lstContacts);
    if (dwError != ERROR_SUCCESS)
        ShowStoreFailure(WSTR("save the phone book"), dwError);
}

void CMainDlg::FillNumberList()
{
    CSettingsListKey key;
    const CComboBox box(GetDlgItem(IDC_NUMBER));
    for (const WString& strNumber : CNumberList(key).Read())
        box.AddString(strNumber);
}

// Refresh, like the other request buttons, only while no request runs and a
// port is known.
void CMainDlg::UpdateMode()
{
    UpdateUi();
}

void CMainDlg::OnContactSelected()
{
    CAppSettings().Write(ETextSetting::CONTACT, ContactBox().GetWindowText());
    ShowContactNumber();
}

const CContact* CMainDlg::GetSelectedContact() const
{
    const CComboBox box = ContactBox();
    const int nSel = box.GetCurSel();
    if (nSel == CB_ERR)
        return nullptr;
    const size_t nIndex = static_cast<size_t>(box.GetItemData(nSel));
    return nIndex < m_lstContacts.size() ? &m_lstContacts[nIndex] : nullptr;
}

// --- Own contacts and groups -------------------------------------------------------

// Groups follow the contacts in the list, as "Team (group)"; an item's data
// past the contacts is the group's place in m_aGroupItems.
void CMainDlg::AddGroupItems()
{
    const CComboBox box = ContactBox();
    m_aGroupItems = ListGroups(m_lstContacts);
    for (size_t i = 0; i < m_aGroupItems.size(); ++i)
        box.SetItemData(box.AddString(m_aGroupItems[i] + WSTR(" (group)")),
                        static_cast<LRESULT>(m_lstContacts.size() + i));
}

const WString* CMainDlg::GetSelectedGroup() const
{
    const CComboBox box = ContactBox();
    const int nSel = box.GetCurSel();
    if (nSel == CB_ERR)
        return nullptr;
    const size_t nIndex = static_cast<size_t>(box.GetItemData(nSel));
    return nIndex >= m_lstContacts.size() && nIndex - m_lstContacts.size() < m_aGroupItems.size()
               ? &m_aGroupItems[nIndex - m_lstContacts.size()]
               : nullptr;
}

bool CMainDlg::ParseSelectedGroup(std::vector<CSendRecipient>& recipients)
{
    std::string strError;
    CResolveNotes notes;
    std::vector<CContact> members;
    if (!ResolveGroup(*GetSelectedGroup(), m_lstContacts, members, strError, &notes)) {
        ShowError(Sentence(strError), IDC_CONTACT);
        return false;
    }
    recipients.clear();
    for (const CContact& member : members) {
        CSendRecipient recipient;
        recipient.strTyped = member.GetDisplayName();
        recipient.contact = member;
        recipients.push_back(recipient);
    }
    m_strRecipientNote = DescribeResolveNotes(notes);
    return true;
}

// The list is stored as the window changes it: the main window reads it again.
void CMainDlg::OnContacts()
{
    const HWND hActive = ::GetActiveWindow();
    CContactsDlg().DoModal(hActive ? hActive : m_hWnd);
    LoadContacts();
    FillContactList();
}

// Send again and Reply: the recipients box in Number mode, and the text when
// one is given; nothing is sent until Send.
void CMainDlg::ComposeTo(const WString& strRecipient, const WString* pText)
{
    CButton(GetDlgItem(IDC_RADIO_CONTACT)).SetCheck(false);
    CButton(GetDlgItem(IDC_RADIO_NUMBER)).SetCheck(true);
    UpdateMode();
    GetDlgItem(IDC_NUMBER).SetWindowText(strRecipient);
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
        m_Requests.DownloadPhonebook(strPort);
    }
}

// The contact list stays as it is: a port test brings no phone book.
void CMainDlg::OnTestPort()
{
    WString strPort;
    if (CheckPort(L"Please select the port to test.", strPort)) {
        BeginRequest();
        m_Requests.TestPort(strPort);
    }
}

// One request at a time: its buttons are disabled until its port is closed.
void CMainDlg::BeginRequest()
{
    ShowStatusNote(WString());
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
void CMainDlg::OnInbox()
{
    CInboxDlg dlg(*this, GetInboxPath());
    m_pInbox = &dlg;
    const INT_PTR nResult = dlg.DoModal(m_hWnd);
    m_pInbox = nullptr;
    if (nResult == IDC_INBOX_REPLY)
        ComposeTo(dlg.GetReplyTo(), nullptr);
}

// Modal over the active window, or over this one when none of the program's
// windows is active.
void CMainDlg::OnHistory()
{
    const HWND hActive = ::GetActiveWindow();
    CHistoryDlg dlg;
    if (dlg.DoModal(hActive ? hActive : m_hWnd) == IDC_HISTORY_AGAIN)
        ComposeTo(dlg.GetAgain().m_strNumber, &dlg.GetAgain().m_strText);
}

bool CMainDlg::CheckPort(const wchar_t* pszMissing, WString& strPort)
{
    strPort = PortBox().GetWindowText();
    if (!strPort.empty())
        return true;
    ShowError(WString(pszMissing) + kEnablePort);
    return false;
}

// --- CPhoneRequestHost -------------------------------------------------------------

void CMainDlg::OnStatus(const WString& strText, bool bTimed)
{
    WString strTime;
    const WString strStatus = bTimed && GetTimeText(strTime) ? strText + WSTR(" at ") + strTime : strText;
    SetStatus(strStatus);
    if (m_pInbox)
        m_pInbox->ShowStatus(strStatus);
}

void CMainDlg::SetTimeout(uint32_t dwMilliseconds)
{
    CDialog::SetTimer(TIMER_DIALOGUE, dwMilliseconds);
}

void CMainDlg::KillTimeout()
{
    CDialog::KillTimer(TIMER_DIALOGUE);
}

void CMainDlg::OnRequestEnded()
{
    m_bRequestRunning = false;
    if (m_bSending)
        OnSendEnded();
    UpdateUi();
    if (m_pInbox)
        m_pInbox->OnRequestEnded();
}

// After a failure or Cancel the recipients box keeps only those not served,
// as they were typed (not the ones not confirmed), for the next Send, which
// goes on with each message where it stopped.
void CMainDlg::OnSendEnded()
{
    m_bSending = false;
    const CSendRun& run = m_Requests.GetRun();
    m_left = CLeftOver{m_strSentText, run.GetNotServed()};
    m_bSent = run.Count(EOutboxState::SENT) == run.GetCount() &&
              GetDlgItem(IDC_MESSAGE).GetWindowText() == m_strSentText;
    if (IsNumberMode() && run.Count(EOutboxState::SENT) < run.GetCount())
        GetDlgItem(IDC_NUMBER).SetWindowText(JoinTyped(m_left.recipients));
}

// Numbers used in Number mode are offered again, the most recent last.
void CMainDlg::OnMessageStarted(const CMsg& msg)
{
    if (!IsNumberMode())
        return;
    CSettingsListKey key;
    const uint32_t dwError = CNumberList(key).Add(msg.m_strNumber);
    if (dwError != ERROR_SUCCESS)
        ShowStoreFailure(WSTR("save the number"), dwError);
    const CComboBox box(GetDlgItem(IDC_NUMBER));
    if (box.SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(msg.m_strNumber.c_str())) == CB_ERR)
        box.AddString(msg.m_strNumber);
}

void CMainDlg::OnStoreFailure(const WString& strWhat, uint32_t dwError)
{
    ShowStoreFailure(strWhat, dwError);
}

void CMainDlg::OnStoreProblem(const WString& strText)
{
    ShowStatusNote(strText);
}

bool CMainDlg::OnPinRequired(bool bRefused)
{
    PostMessage(WM_ASK_PIN, bRefused ? 1 : 0);
    return true;
}

void CMainDlg::AskPin(bool bRefused)
{
    CPinDlg dlg(bRefused);
    if (dlg.DoModal(m_hWnd) == IDOK)
        m_Requests.EnterPin(dlg.GetPin());
    else
        m_Requests.DeclinePin();
}

// The user's own contacts stay (read again: the Contacts window or the
// console tool may have changed them meanwhile).
void CMainDlg::OnPhonebook(const std::vector<CContact>& phonebook)
{
    LoadContacts();
    m_lstContacts = MergePhonebook(m_lstContacts, ContactsFromList(ContactsToList(phonebook)));
    FillContactList();
    SaveContacts();
}


// --- CInboxHost ------------------------------------------------------------------

bool CMainDlg::OnInboxRefresh()
{
    WString strPort;
    if (!CheckPort(L"Please select the port from which to read the messages.", strPort))
        return false;
    BeginRequest();
    StartUpdate(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    m_Requests.ReadMessages(strPort);
    return true;
}

// A send the user started before opening the Inbox is never the Inbox's to cancel.
void CMainDlg::OnInboxCancel()
{
    if (IsReadingMessages())
        m_Requests.Cancel();
}
