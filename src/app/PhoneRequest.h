// The requests a user makes of the phone (send a message, store it in the
// phone's memory, download the phone book, identify the phone, read its
// messages), carried out by the modem driver in one way for the main window
// and the console tool: the recipients are served one after the other on the
// port the previous one left open, each with a message (and reference
// number) of its own and the whole handshake; the text is the one given when
// the send began; the status texts and failure texts are the same for both.
//
// No Win32 here: the surroundings (status line, what the user is asked) come
// through CPhoneRequestHost, the driver's timer through a CDialogueTimer, what
// a request leaves behind through a CRequestRecorder and a COutbox, and the
// port through CPortOperations, so the whole request logic runs in the host
// tests too.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/Contact.h"
#include "app/InboxUpdate.h"
#include "app/Outbox.h"
#include "app/RequestRecorder.h"
#include "app/SendList.h"
#include "app/SendRun.h"
#include "base/Text.h"
#include "phone/DialogueTimer.h"
#include "phone/Modem.h"
#include "phone/ModemSink.h"
#include "serial/PortOperations.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"
#include "sms/Msg.h"

class CPhoneRequestHost {
public:
    virtual ~CPhoneRequestHost() {}

    // A status text. bTimed: it reports something that has just happened, and
    // the window adds " at " and the time.
    virtual void OnStatus(const WString& strText, bool bTimed) = 0;
    // The port has been closed: the request is over, whatever its outcome.
    virtual void OnRequestEnded() = 0;

    // Recipient nIndex of the send's record is handed to the phone.
    virtual void OnMessageStarted(const CSendRecord& /*record*/, size_t /*nIndex*/) {}
    // Recipient nIndex's whole message has been sent (or stored in the phone).
    virtual void OnMessageDone(const CSendRecord& /*record*/, size_t /*nIndex*/) {}
    // Recipient nIndex's message may or may not have left: a part's PDU went
    // out and the phone did not say. The run ends; the status line says so.
    virtual void OnMessageNotConfirmed(const CSendRecord& /*record*/, size_t /*nIndex*/) {}
    // A send or save is over (before OnRequestEnded): what became of each
    // recipient, as the record has it.
    virtual void OnMessagesEnded(const CSendRecord& /*record*/) {}
    // The phone book has been downloaded whole; a failed download hands over nothing.
    virtual void OnPhonebook(const std::vector<CContact>&) {}
    // The SIM wants its PIN (bRefused: the phone refused the last one): true
    // when the host answers with CPhoneRequest::EnterPin or DeclinePin, now
    // or later; false when it cannot ask (the request then fails for it).
    virtual bool OnPinRequired(bool /*bRefused*/) { return false; }

    // What went wrong, in detail, for a host that shows it. The status line
    // has already said it, with the reason (strReason; empty when the phone
    // gave none, as with a bare ERROR).
    virtual void OnPortError(uint32_t /*dwError*/, const WString& /*strReason*/) {}
    virtual void OnPhoneRefused(const CSmsException&, const WString& /*strReason*/) {}
    virtual void OnNoAnswer() {}  // no answer to "AT" within the handshake time-out
    // An answer after the handshake did not come within the progress
    // time-out; the request is being cancelled. The status line says so.
    virtual void OnNoProgress() { OnStatus(WSTR("Error: timed out waiting for data"), false); }
    // What the recorder could not store ("Could not <strWhat>").
    virtual void OnStoreFailure(const WString& /*strWhat*/, uint32_t /*dwError*/) {}
    // A listing the recorder could not store (nothing of it was deleted);
    // strLoadNote: a damaged inbox file put aside, once.
    virtual void OnListingNotStored(const std::string& /*strError*/) {}
    virtual void OnInboxNote(const std::string& /*strLoadNote*/) {}
    // Every memory has been read; nNew messages were new.
    virtual void OnMessagesRead(size_t /*nNew*/) {}
};

class CPhoneRequest : private CModemSink {
    class CRecipientListener;

public:
    // The driver's one timer, as the host numbers it: the wait for an
    // answer, or for offering a refused part again.
    static constexpr unsigned TIMER_DIALOGUE = 34;

    // None is owned; all must outlive this object.
    CPhoneRequest(CPortOperations* pQueue, CPhoneRequestHost* pHost, CDialogueTimer* pTimer);

    CPhoneRequest(const CPhoneRequest&) = delete;
    CPhoneRequest& operator=(const CPhoneRequest&) = delete;

    // Where what a request leaves behind goes, and where a send's entry is
    // kept; null: nowhere. Not owned.
    void SetRecorder(CRequestRecorder* pRecorder) { m_pRecorder = pRecorder; }
    void SetOutbox(COutbox* pOutbox) { m_pOutbox = pOutbox; }

    // The requests, on the named port. Recipients must have been resolved and
    // checked (ResolveSendList, CheckText) before; the text is the one sent
    // to each, whatever the host's box holds meanwhile. An empty list starts
    // nothing (false).
    bool Send(const WString& strPort, const std::vector<CSendRecipient>& recipients, const WString& strText);
    bool Save(const WString& strPort, const std::vector<CSendRecipient>& recipients, const WString& strText);
    // The same for recipients whose typed form is their name or number.
    bool Send(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText);
    bool Save(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText);
    void DownloadPhonebook(const WString& strPort);
    void TestPort(const WString& strPort);
    // Reads the phone's received messages and reports (stored by the
    // recorder); bReportsOnly: the listings are for the reports alone.
    void ReadMessages(const WString& strPort, bool bReportsOnly = false);
    // For the next Send: every part asks for a delivery report (bRequest),
    // and the first recipient's request lists the phone's memory for the
    // reports awaited before its message (bReadPending).
    void SetDeliveryReports(bool bRequest, bool bReadPending)
    {
        m_bReportRequested = bRequest;
        m_bReadPending = bReadPending;
    }

    // The wait for each answer after the handshake (CModem::kProgressTimeout
    // unless set), and for the answer to a PDU (CModem::kSubmitTimeout).
    void SetProgressTimeout(uint32_t dwMilliseconds) { m_modem.SetProgressTimeout(dwMilliseconds); }
    void SetSubmitTimeout(uint32_t dwMilliseconds) { m_modem.SetSubmitTimeout(dwMilliseconds); }

    // The user's cancel: the exchange with the phone stops and the port is
    // closed; its announcement ends the request. Also when nothing runs.
    void Cancel();
    // The answer to OnPinRequired.
    void EnterPin(const std::string& strPin) { m_modem.EnterPin(strPin); }
    void DeclinePin() { m_modem.DeclinePin(); }

    // Every announcement of the serial worker, and the dialogue timer.
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);
    void OnTimer(unsigned nId = TIMER_DIALOGUE);

    // How the last request went: messages sent or stored, and whether the
    // phone book or the maker arrived.
    size_t GetMessagesDone() const { return m_run.Count(ESendState::SENT); }
    size_t GetMessagesNotConfirmed() const { return m_run.Count(ESendState::NOT_CONFIRMED); }
    size_t GetRecipientCount() const { return m_run.GetCount(); }
    bool HasResult() const { return m_bResult; }
    // The last send's record.
    const CSendRecord& GetRecord() const { return m_run.GetRecord(); }
    // What the last port test learnt of the phone.
    const CDeviceInfo& GetDeviceInfo() const { return m_modem.GetDeviceInfo(); }
    // The last request made reads the phone's messages (ReadMessages).
    bool IsReadingMessages() const { return m_eRequest == CModem::ERequest::REQ_READ_MESSAGES; }

private:
    // CModemSink
    void OnPhonebookEntry(const WString& strName, const WString& strNumber) override;
    void OnPhonebookDownloaded() override;
    void OnHandshaking() override;
    void OnRequestEnded() override;
    void OnRequestFailed(const CSmsException& error) override;
    void OnDownloadingPhonebook() override;
    void OnModel(const WString& strModel) override;
    void OnTimedOut() override;
    void OnPinRequired(bool bRefused) override;
    void OnReadingMessages() override;
    std::vector<unsigned> OnMessagesListed(const std::vector<CListedPdu>& pdus) override;
    void OnMessagesRead() override;
    void OnReportsArrived(const std::vector<CListedPdu>& reports) override;

    // What a recipient's message told its listener.
    bool OnSubmitting(size_t nIndex, unsigned nPart, unsigned nParts, uint32_t dwRef);
    bool OnPartAccepted(size_t nIndex, unsigned nPart, unsigned nMr, bool bLast);
    void OnRetrying(size_t nIndex, unsigned nPart, unsigned nParts, const WString& strMeaning);
    void OnRefused(size_t nIndex, const CSmsException& error);
    void OnNotConfirmed(size_t nIndex, const WString& strReason);

    void Reset(const WString& strPort, CModem::ERequest eRequest);
    bool StartMessages(const WString& strPort, const std::vector<CSendRecipient>& recipients, const WString& strText,
                       bool bSave);
    // Hands the next recipient's message to the driver; false when none is
    // left (the port is then closed).
    bool SendNext();
    void Record(size_t nIndex, bool bNotConfirmed);
    // "Failed to send message to 222: <strReason>; sent to 1 of 3".
    WString DescribeFailure(const WString& strReason, const CSendRecipient* pRecipient) const;
    WString GetDisplayName(size_t nIndex) const { return m_run.GetRecord().recipients[nIndex].contact.GetDisplayName(); }
    void Status(const WString& strText, bool bTimed = false) { m_pHost->OnStatus(strText, bTimed); }

    CModem m_modem;
    CPhoneRequestHost* m_pHost;
    CRequestRecorder* m_pRecorder = nullptr;
    COutbox* m_pOutbox = nullptr;
    WString m_strPort;

    CModem::ERequest m_eRequest = CModem::ERequest::REQ_SEND;  // the last request made
    CSendRun m_run;
    bool m_bMessages = false;           // the request is a send or save
    std::vector<CContact> m_phonebook;  // the entries of a download in progress
    bool m_bResult = false;             // the phone book, the maker or the messages arrived

    bool m_bReportRequested = false;
    bool m_bReadPending = false;
    bool m_bFirstOfRun = false;         // the next message is the run's first
    bool m_bReportsOnly = false;
    size_t m_nNewMessages = 0;
    std::string m_strStoreError;  // why what the phone listed was not stored
};
