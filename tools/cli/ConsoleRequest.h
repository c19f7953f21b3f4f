// One request of the console tool to the phone (send, store, phone book,
// device test), carried out by the request logic the main window uses: the
// same status texts, the same handshake time-out, several recipients on one
// open port. The console adds what a script needs: an exit code, the phone
// book as text, details of a failure on standard error, and its own wording
// of the progress time-out: the request is cancelled, as the window's Cancel
// does it.
//
// No Win32 here: the surroundings (output, window timers) come through
// CConsoleHost, the port through CPortOperations, so the whole console side runs
// in the host tests too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"
#include "base/ListKey.h"
#include "serial/PortOperations.h"
#include "app/Contact.h"
#include "app/InboxUpdate.h"
#include "app/PhoneSession.h"
#include "app/ReadMessagesRequest.h"
#include "app/RequestRecorder.h"
#include "app/SendRequest.h"
#include "phone/DeviceInfo.h"

class CConsoleHost {
public:
    virtual ~CConsoleHost() {}
    // One line of standard output (status texts, phone-book entries), UTF-8.
    virtual void PrintLine(const std::string& strLine) = 0;
    // One line of standard error: what went wrong, in detail.
    virtual void PrintError(const std::string& strLine) = 0;
    // Starts, or restarts, timer nId; OnTimer(nId) follows after dwMilliseconds.
    virtual void SetTimer(unsigned nId, uint32_t dwMilliseconds) = 0;
    virtual void KillTimer(unsigned nId) = 0;
    // One line of standard output that says what became of a recipient,
    // after the request: "0123456789: sent (reference 17)".
    virtual void PrintOutcome(const std::string& strLine) { PrintLine(strLine); }
    // Whether the window holds the port to receive messages on it.
    virtual bool IsHeldByReceiving(const WString& /*strPort*/) const { return false; }
};

// What the console says of a port the window keeps open to receive on it.
std::string DescribeHeld(const WString& strPort);

class CConsoleRequest : private CSessionHost,
                        private CSendHost,
                        private CReadingHost,
                        private CDialogueTimer {
public:
    static constexpr unsigned TIMER_DIALOGUE = CPhoneSession::TIMER_DIALOGUE;  // the driver's wait for each answer
    static constexpr unsigned TIMER_CLOSE = 35;  // after a time-out, the wait for the port to close
    // After a cancel, the wait for the port to close before giving up.
    static constexpr uint32_t kCloseGraceMs = 5000;

    // dwTimeoutMs: the progress time-out, the wait for each answer after the
    // handshake; a request the phone does not answer in time is cancelled.
    CConsoleRequest(CPortOperations* pQueue, CConsoleHost* pHost, const WString& strPort, uint32_t dwTimeoutMs);

    CConsoleRequest(const CConsoleRequest&) = delete;
    CConsoleRequest& operator=(const CConsoleRequest&) = delete;

    // One of these per object. The recipients are served in order, each with
    // a message (and reference number) of its own; numbers and text must
    // have been checked (ResolveRecipients, CheckText) before.
    void Send(const std::vector<CContact>& recipients, const WString& strText);
    void Save(const std::vector<CContact>& recipients, const WString& strText);
    void DownloadPhonebook();
    void TestPort();
    // Reads what the phone holds into the inbox file at strInboxPath (empty:
    // none), the reports into the key's "Reports" list; what is stored is
    // deleted with bDelete. bReportsOnly: only the delivery reports are taken.
    void ReadMessages(CListKey& reportsKey, const WString& strInboxPath, bool bDelete, bool bReportsOnly);
    // Any other request: its statuses are printed, its failures exit as the
    // others' do, and it succeeds when nothing failed.
    void Run(std::unique_ptr<CPhoneRequest> pRequest);
    // Listens on the port for the receiver (not owned) until the object goes;
    // what comes goes to the receiver's host, a port error to the host's
    // standard error.
    void Listen(CReceiver& receiver);
    // The first failure's exit code; kExitOk while there is none.
    int GetFailure() const { return m_nFailure; }
    // For a Send: every part asks for a delivery report, and each message's
    // references are kept in the "Reports" list of the key under the time
    // text strTime; the reports awaited are read first.
    void RequestReports(CListKey& reportsKey, const WString& strInboxPath, const WString& strTime);
    // What a reading stored; null before one.
    const CInboxUpdate* GetInbox() const { return m_pRecorder ? m_pRecorder->GetInbox() : nullptr; }

    // The SIM's PIN, given when the phone asks for it; never again once refused.
    void SetPin(const std::string& strPin) { m_strPin = strPin; }
    // Also the wait for the phone's answer to a PDU.
    void SetSubmitTimeout(uint32_t dwMilliseconds) { m_session.SetSubmitTimeout(dwMilliseconds); }
    // What the port test learnt, once it is over.
    const CDeviceInfo& GetDeviceInfo() const { return m_device; }

    // What the message loop receives.
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);
    void OnTimer(unsigned nId);

    // The request has ended (its port is closed) or was given up.
    bool IsFinished() const { return m_bFinished; }
    // kExitOk only when everything asked for was done; kExitNotConfirmed
    // when a message may have left; kExitPartly when some recipients got the
    // message and others not; otherwise the first failure: kExitFailed (the
    // phone refused), kExitPort (a port error, or no answer to "AT"),
    // kExitTimeout (cancelled by the time-out).
    int GetExitCode() const;
    // The downloaded phone book, complete once the download succeeded.
    const std::vector<CContact>& GetPhonebook() const { return m_phonebook; }

private:
    // A port the window receives on is never opened beside it (Wine lets a
    // second program open it, and each would take the other's answers):
    // refused, as the open is on Windows.
    bool RefuseHeld();
    // CSessionHost
    void OnStatus(const WString& strText, bool bTimed) override;
    void OnRequestEnded() override;
    bool OnPinRequired(bool bRefused) override;
    void OnPortError(uint32_t dwError, const WString& strReason) override;
    void OnPhoneRefused(const CSmsException& e, const WString& strReason) override;
    void OnNoAnswer() override;
    void OnNoProgress() override;
    void OnStoreFailure(const WString& strWhat, uint32_t dwError) override;
    // CSendHost
    void OnMessageStarted(const CSendRecord&, size_t) override {}
    void OnMessageDone(const CSendRecord&, size_t) override {}
    void OnMessageNotConfirmed(const CSendRecord& record, size_t nIndex) override;
    void OnMessagesEnded(const CSendRecord& record) override;
    // CReadingHost, and the listings of a send
    void OnMessagesRead(size_t) override { m_bResult = true; }
    void OnListingNotStored(const std::string& strError) override;
    void OnInboxNote(const std::string& strLoadNote) override;
    // CDialogueTimer
    void SetTimeout(uint32_t dwMilliseconds) override { m_pHost->SetTimer(TIMER_DIALOGUE, dwMilliseconds); }
    void KillTimeout() override { m_pHost->KillTimer(TIMER_DIALOGUE); }

    void StartMessages(const std::vector<CContact>& recipients, const WString& strText, bool bSave);
    void Start(std::unique_ptr<CPhoneRequest> pRequest);
    void OnPhonebook(const std::vector<CContact>& phonebook);
    void Note(int nExitCode);
    void Finish();

    CPhoneSession m_session;
    CConsoleHost* m_pHost;
    WString m_strPort;
    uint32_t m_dwTimeoutMs;

    bool m_bMessages = false;  // a send or store, not a phone book or device test
    bool m_bSave = false;      // a store
    bool m_bOutcomesPrinted = false;
    const CSendRequest* m_pSend = nullptr;  // the send or store run, owned by the session
    CSendOptions m_sendOptions;
    bool m_bResult = false;  // the phone book, the port test or the reading brought what was asked
    std::vector<CContact> m_phonebook;
    CDeviceInfo m_device;
    std::unique_ptr<CRequestRecorder> m_pRecorder;
    WString m_strTime;
    bool m_bLoadNoted = false;  // a damaged inbox file put aside has been reported
    std::string m_strPin;
    int m_nFailure = 0;  // the first failure's exit code
    bool m_bFinished = false;
};
