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
#include "ui/InboxDlg.h"
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
    void StopUpdateCheck(ULONGLONG ullDeadline);

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
    void StartUpdateCheck();
    void OnUpdateCheckTimer();
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    void OnCancelRequest();
    void Close(int nExitCode);
    bool CanClose();
    void SetStatus(const WString& strText);
    void ShowStoreFailure(const WString& strWhat, uint32_t dwError);
    void ShowStatusNote(const WString& strText);
    void LayOutStatus(bool bNote);
    void UpdateUi();
    void FillPortList(const std::vector<std::string>& aPorts);
    void UpdateCharCount();
    CComboBox PortBox() const;
    CComboBox ContactBox() const;
    bool HasPort() const { return PortBox().GetCount() > 0; }
    bool IsNumberMode() const;
    void ShowError(const WString& strText, int nFocusItem = 0);

    // Sending and storing (one request per recipient).
    void OnSendOrSave(bool bSave);
    bool ParseRecipients(std::vector<CSendRecipient>& recipients);
    void OnSendEnded();
    void RestoreOutbox();
    void AskPin(bool bRefused);
    static WString GetRecordTime();
    static WString GetInboxPath();
    // The store of what the phone lists, for a request that reads its memory.
    void StartUpdate(bool bDelete);
    void OnInbox();

    // Contacts and numbers.
    void LoadContacts();
    void FillContactList();
    void SaveContacts();
    void FillNumberList();
    void UpdateMode();
    void OnContactSelected();
    void ShowContactNumber();
    const CContact* GetSelectedContact() const;
    void AddGroupItems();
    const WString* GetSelectedGroup() const;
    bool ParseSelectedGroup(std::vector<CSendRecipient>& recipients);
    void OnContacts();
    void ComposeTo(const WString& strRecipient, const WString* pText);
    void OnRefresh();
    void OnTestPort();
    void OnHistory();
    bool CheckPort(const wchar_t* pszMissing, WString& strPort);
    void BeginRequest();

    // CPhoneRequestHost
    void OnStatus(const WString& strText, bool bTimed) override;
    void OnRequestEnded() override;
    void OnMessageStarted(const CMsg& msg) override;
    bool OnPinRequired(bool bRefused) override;
    void OnPhonebook(const std::vector<CContact>& phonebook) override;
    void OnStoreFailure(const WString& strWhat, uint32_t dwError) override;
    void OnStoreProblem(const WString& strText) override;
    // CDialogueTimer
    void SetTimeout(uint32_t dwMilliseconds) override;
    void KillTimeout() override;

    // CInboxHost
    bool OnInboxRefresh() override;
    void OnInboxCancel() override;
    bool IsRequestRunning() const override { return m_bRequestRunning; }
    bool IsReadingMessages() const override { return m_bRequestRunning && m_Requests.IsReadingMessages(); }
    const std::vector<CContact>& GetContacts() const override { return m_lstContacts; }

    std::vector<CContact> m_lstContacts;
    CSerialPortAsync m_SerialPort;
    CSerialCom m_SerialCom{&m_SerialPort};
    CSettingsListKey m_reportsKey;  // the "Reports" list
    CSettingsListKey m_historyKey;  // "NewHistory"
    CAppDataFolder m_archive;       // the history's archive
    CRequestRecorder m_recorder{m_reportsKey, &CMainDlg::GetRecordTime};
    CPhoneRequest m_Requests{&m_SerialCom, this, this};
    std::unique_ptr<COutbox> m_pOutbox;  // once the data folder is known
    CLeftOver m_left;                    // the recipients the last send did not serve
    WString m_strSentText;               // the text of the send running
    bool m_bSent = false;          // the text in the message box has been sent (or stored) whole
    bool m_bSending = false;       // the request running is a send or save
    bool m_bRequestRunning = false;  // from a request's start until its port is closed
    ULONGLONG m_ullCloseTime = 0;    // 0 until the window is closed
    std::unique_ptr<CCheckForUpdates> m_pUpdateCheck;  // only when "AllowCheck" is on
    CInboxDlg* m_pInbox = nullptr;                  // while the Inbox is open
    std::vector<WString> m_aGroupItems;             // the groups in the contact list, after the contacts
    WString m_strRecipientNote;                     // what resolving the recipients merged, for the status
};
