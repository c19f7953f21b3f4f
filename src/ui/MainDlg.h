// The program's only top-level window: a modeless, borderless dialog drawn
// by the skin. It owns the port, the serial worker and the request logic
// around the modem driver; it routes its controls' commands to the workflows
// (sending and storing a message, the phone book, the port test, the
// history, the online services), shows every step on its status line, and
// decides when the program ends.
//
// Errors in the dialogs: what the user must put right before anything
// starts (no port, no recipient, a text that cannot be sent) is a message
// box with the caption "Error"; what happens to a request is said on the
// status line; what could not be stored, under it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "online/CheckForUpdates.h"
#include "serial/SerialCom.h"
#include "serial/SerialPortAsync.h"
#include "skinning/SkinnedDlg.h"
#include "base/AppDataFolder.h"
#include "base/SettingsListKey.h"
#include "base/UiQueue.h"
#include "app/Contact.h"
#include "app/Draft.h"
#include "res/resource.h"
#include "base/Util.h"
#include "ui/ConversationsDlg.h"
#include "ui/InboxDlg.h"
#include "ui/PortBox.h"
#include "ui/Receiving.h"
#include "ui/RecipientPicker.h"
#include "ui/StatusLine.h"
#include "ui/UpdateNotice.h"
#include "app/DeviceTestRequest.h"
#include "app/InboxUpdate.h"
#include "app/PhoneSession.h"
#include "app/PhonebookRequest.h"
#include "app/ReadMessagesRequest.h"
#include "app/SendRequest.h"
#include "win/Controls.h"
#include "win/MessageLoop.h"
#include "win/TaskbarProgress.h"

class CHistoryDlg;
class CInboxDlg;

class CMainDlg : public CSkinnedDlg,
                 public CMessageFilter,
                 private CSessionHost,
                 private CSendHost,
                 private CReadingHost,
                 private CDialogueTimer,
                 private CInboxHost,
                 private CReceivingHost,
                 public CConversationsHost {
public:
    CMainDlg();
    // The window goes first, and with it the serial worker (see OnDestroy).
    ~CMainDlg() override;

    // When the user closed the window (GetTickCount64), or now when the
    // window has not been closed: exit's waits count from there.
    ULONGLONG GetCloseTime() const;
    // At exit, once the window is gone: a check in progress may go on until
    // ullDeadline (a GetTickCount64 time) and is then aborted.
    void StopUpdateCheck(ULONGLONG ullDeadline) { m_updateNotice.Stop(ullDeadline); }

    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Opens the Conversations window (or, open, brings it forward) with the
    // thread of this number selected; the newest for an empty one.
    void ShowConversation(const WString& strNumber);
    // The reply box's Send: the text to the number through the window's send
    // path and outbox, as Send sends; the message box and the recipients
    // box keep what they hold.
    void SendReply(const WString& strRecipient, const WString& strText) override;
    // The inbox file or the History changed (a message stored, a report
    // applied): the Conversations window, when open, reads them again.
    void OnMessagesChanged();

private:
    static constexpr UINT_PTR TIMER_DIALOGUE = CPhoneSession::TIMER_DIALOGUE;

    // The frame.
    void OnInitDialog() override;
    void SetIcons();
    void AddSystemMenu();
    bool OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    void OnDestroy() override;
    void OnSerialNotify(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);
    bool OnTimer(UINT_PTR nId) override;
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    void OnCancelRequest();
    void Close(int nExitCode);
    bool CanClose();
    CStatusLine Status() const { return CStatusLine(m_hWnd, IDC_STATUS, IDC_STATUS_NOTE); }
    void UpdateUi();
    void UpdateCharCount();
    CPortBox Ports() const { return CPortBox(GetDlgItem(IDC_PORT)); }
    // The keyboard: Ctrl+Enter sends; the focus leaves an item that is
    // disabled (for Cancel, while a request runs) and comes back to it.
    bool OnCtrlEnter(const MSG& msg);
    int GetFocusedItem() const;
    void MoveFocus(int nId);
    void MoveFocusOff(int nFocused);
    void RestoreFocus();
    void ShowError(const WString& strText, int nFocusItem = 0);

    // Sending and storing (one request per recipient).
    void OnSendOrSave(bool bSave);
    // The send (or save) of a text to recipients resolved and checked; false when it did not start.
    bool StartSend(const WString& strPort, std::vector<CSendRecipient>& recipients, const WString& strText, bool bSave,
                   COutbox* pOutbox);
    void EndReply(bool bSent);
    void RestoreOutbox();
    void AskPin(bool bRefused);
    static WString GetInboxPath();
    // The store of what the phone lists, for a request that reads its memory.
    void StartUpdate(bool bDelete);
    void OnInbox();

    // The other requests and windows.
    void OnContacts();
    void ComposeTo(const WString& strRecipient, const WString* pText);
    void OnRefresh();
    void OnTestPort();
    void OnHistory();
    // Receiving: listening follows the check box and the port box.
    void UpdateReceiving();
    void OnReceivingIcon(LPARAM lParam);
    // "Inbox (3)" while receiving and 3 messages are unread.
    void UpdateInboxButton();
    // The port selected; false when there is none, after telling the user.
    bool CheckPort(const wchar_t* pszMissing, WString& strPort) const
    {
        strPort = Ports().GetPortFor(pszMissing);
        return !strPort.empty();
    }
    void BeginRequest();

    // CSessionHost: the status line says what went wrong; the window shows no more of it.
    void OnStatus(const WString& strText, bool bTimed) override;
    void OnRequestEnded() override;
    // The question waits until the driver's step is over.
    bool OnPinRequired(bool bRefused) override
    {
        return m_ui.Post([this, bRefused] { AskPin(bRefused); });
    }
    void OnPortError(uint32_t, const WString&) override {}
    void OnPhoneRefused(const CSmsException&, const WString&) override {}
    void OnNoAnswer() override {}
    void OnNoProgress() override { Status().SetStatus(WSTR("Error: timed out waiting for data")); }
    void OnStoreFailure(const WString& strWhat, uint32_t dwError) override
    {
        Status().ShowStoreFailure(strWhat, dwError);
    }
    void OnProgress(size_t nDone, size_t nTotal) override { m_taskbar.Show(m_hWnd, nDone, nTotal); }
    // CSendHost
    void OnMessageStarted(const CSendRecord& record, size_t nIndex) override;
    void OnMessageDone(const CSendRecord&, size_t) override {}          // the status line says it
    void OnMessageNotConfirmed(const CSendRecord&, size_t) override {}  // the status line says it
    void OnMessagesEnded(const CSendRecord& record) override;
    // CReadingHost: the Inbox reads the file again when the request ends.
    void OnMessagesRead(size_t) override {}
    // The status line says what could not be stored; the Inbox names a damaged file put aside.
    void OnListingNotStored(const std::string&) override {}
    void OnInboxNote(const std::string&) override {}
    void OnPhonebook(const std::vector<CContact>& phonebook);
    // CDialogueTimer
    void SetTimeout(uint32_t dwMilliseconds) override { CDialog::SetTimer(TIMER_DIALOGUE, dwMilliseconds); }
    void KillTimeout() override { CDialog::KillTimer(TIMER_DIALOGUE); }

    // CInboxHost
    bool OnInboxRefresh() override;
    void OnInboxCancel() override;
    bool IsRequestRunning() const override { return m_bRequestRunning; }  // and CConversationsHost's
    bool IsReadingMessages() const override { return m_bRequestRunning && m_bReading; }
    const std::vector<CContact>& GetContacts() const override { return m_recipients.GetContacts(); }  // and the others'

    // CReceivingHost: a request's own status stays until it ends.
    void OnReceivingStatus(const WString& strText) override;
    void OnInboxChanged() override;
    void OnDeliveryChanged() override;

    CRecipientPicker m_recipients;
    CUiQueue m_ui;  // what the workers hand this window's thread; outlives them
    CSerialPortAsync m_SerialPort;
    CSerialCom m_SerialCom{&m_SerialPort};
    CSettingsListKey m_reportsKey;  // the "Reports" list
    CSettingsListKey m_historyKey;  // "NewHistory"
    CAppDataFolder m_archive;       // the history's archive
    CRequestRecorder m_recorder{m_reportsKey, &GetRecordTimeText};
    CPhoneSession m_session{&m_SerialCom, this, this};
    CReceiving m_receiving{static_cast<CReceivingHost&>(*this), m_session, m_reportsKey, GetInboxPath()};
    CDraft m_draft;
    bool m_bRequestRunning = false;  // from a request's start until its port is closed
    bool m_bReading = false;         // and that request reads the phone's messages
    ULONGLONG m_ullCloseTime = 0;    // 0 until the window is closed
    CUpdateNotice m_updateNotice;
    CInboxDlg* m_pInbox = nullptr;                  // while the Inbox is open
    CConversationsDlg* m_pConversations = nullptr;  // while the Conversations are open
    CHistoryDlg* m_pHistory = nullptr;              // while the History is open
    bool m_bReplying = false;                       // the send running is a reply from the Conversations
    // A reply's journal, beside the main window's: a reply never ends an
    // entry whose recipients the window still holds for its next Send.
    std::unique_ptr<COutbox> m_pReplyOutbox;
    int m_nFocusBeforeRequest = 0;  // the item that had the focus when a request disabled it
    CTaskbarProgress m_taskbar;
};
