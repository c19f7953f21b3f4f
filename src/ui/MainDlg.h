// The program's only top-level window: a modeless, borderless dialog drawn
// by the skin. It owns the port, the serial worker and the request logic
// around the modem driver; it routes its controls' commands to the workflows
// (sending and storing a message, the phone book, the port test, the
// history, the online services), shows every step on its status line, and
// decides when the program ends.
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
#include "app/Contact.h"
#include "app/Draft.h"
#include "res/resource.h"
#include "base/Util.h"
#include "ui/InboxDlg.h"
#include "ui/PortBox.h"
#include "ui/RecipientPicker.h"
#include "ui/StatusLine.h"
#include "ui/UpdateNotice.h"
#include "app/InboxUpdate.h"
#include "app/PhoneRequest.h"
#include "win/Controls.h"
#include "win/MessageLoop.h"

class CInboxDlg;

class CMainDlg : public CSkinnedDlg,
                 public CMessageFilter,
                 private CPhoneRequestHost,
                 private CDialogueTimer,
                 private CInboxHost {
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

private:
    static constexpr UINT_PTR TIMER_UPDATE_CHECK = 33;  // polls the update check once a second until it is over
    static constexpr UINT_PTR TIMER_DIALOGUE = CPhoneRequest::TIMER_DIALOGUE;
    // Posted when the SIM asks for its PIN (wParam: the phone refused the last
    // one): the question waits until the driver's step is over.
    static constexpr UINT WM_ASK_PIN = WM_APP + 1;

    // The frame.
    void OnInitDialog() override;
    bool OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
    void OnDestroy() override;
    void OnSerialNotify(WPARAM wParam, LPARAM lParam);
    void StopSerialWorker();
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
    void ShowError(const WString& strText, int nFocusItem = 0);

    // Sending and storing (one request per recipient).
    void OnSendOrSave(bool bSave);
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
    // The port selected; false when there is none, after telling the user.
    bool CheckPort(const wchar_t* pszMissing, WString& strPort) const
    {
        strPort = Ports().GetPortFor(pszMissing);
        return !strPort.empty();
    }
    void BeginRequest();

    // CPhoneRequestHost
    void OnStatus(const WString& strText, bool bTimed) override;
    void OnRequestEnded() override;
    void OnMessagesEnded(const CSendRecord& record) override;
    void OnMessageStarted(const CSendRecord& record, size_t nIndex) override;
    // The question waits until the driver's step is over.
    bool OnPinRequired(bool bRefused) override { return PostMessage(WM_ASK_PIN, bRefused ? 1 : 0) != FALSE; }
    void OnPhonebook(const std::vector<CContact>& phonebook) override;
    void OnStoreFailure(const WString& strWhat, uint32_t dwError) override
    {
        Status().ShowStoreFailure(strWhat, dwError);
    }
    // CDialogueTimer
    void SetTimeout(uint32_t dwMilliseconds) override { CDialog::SetTimer(TIMER_DIALOGUE, dwMilliseconds); }
    void KillTimeout() override { CDialog::KillTimer(TIMER_DIALOGUE); }

    // CInboxHost
    bool OnInboxRefresh() override;
    void OnInboxCancel() override;
    bool IsRequestRunning() const override { return m_bRequestRunning; }
    bool IsReadingMessages() const override { return m_bRequestRunning && m_Requests.IsReadingMessages(); }
    const std::vector<CContact>& GetContacts() const override { return m_recipients.GetContacts(); }

    CRecipientPicker m_recipients;
    CSerialPortAsync m_SerialPort;
    CSerialCom m_SerialCom{&m_SerialPort};
    CSettingsListKey m_reportsKey;  // the "Reports" list
    CSettingsListKey m_historyKey;  // "NewHistory"
    CAppDataFolder m_archive;       // the history's archive
    CRequestRecorder m_recorder{m_reportsKey, &GetRecordTimeText};
    CPhoneRequest m_Requests{&m_SerialCom, this, this};
    CDraft m_draft;
    bool m_bRequestRunning = false;  // from a request's start until its port is closed
    ULONGLONG m_ullCloseTime = 0;    // 0 until the window is closed
    CUpdateNotice m_updateNotice;
    CInboxDlg* m_pInbox = nullptr;                  // while the Inbox is open
};
