// The requests a user makes of the phone (send a message, store it in the
// phone's memory, download the phone book, identify the phone), carried out
// by the modem driver in one way for the main window and the console tool:
// the recipients are served one after the other on the port the previous one
// left open, each with a message (and reference number) of its own and the
// whole handshake; the status texts and failure texts are the same for both.
//
// No Win32 here: the surroundings (status line, timers, what a recipient's
// message leaves behind) come through CPhoneRequestHost and the port through
// CPortOperations, so the whole request logic runs in the host tests too.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/Text.h"
#include "phone/Modem.h"
#include "phone/ModemSink.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"
#include "serial/PortOperations.h"
#include "sms/Msg.h"
#include "app/Contact.h"
#include "app/InboxUpdate.h"

class CPhoneRequestHost {
public:
    virtual ~CPhoneRequestHost() {}

    // A status text. bTimed: it reports something that has just happened, and
    // the window adds " at " and the time.
    virtual void OnStatus(const WString& strText, bool bTimed) = 0;
    // Starts, or restarts, timer nId; CPhoneRequest::OnTimer(nId) follows.
    virtual void SetTimer(unsigned nId, uint32_t dwMilliseconds) = 0;
    virtual void KillTimer(unsigned nId) = 0;
    // The port has been closed: the request is over, whatever its outcome.
    virtual void OnRequestEnded() = 0;

    // The text for the recipient whose turn it is, when the host has a newer
    // one than the run started with: the window reads its message box again
    // for every recipient. False keeps the text the run started with.
    virtual bool GetMessageText(WString& /*strText*/) { return false; }
    // A recipient's message is handed to the phone.
    virtual void OnMessageStarted(const CMsg&) {}
    // A recipient's whole message has been sent (or stored in the phone).
    virtual void OnMessageDone(const CMsg&) {}
    // A recipient's message may or may not have left: a part's PDU went out
    // and the phone did not say. The run ends; the status line says so.
    virtual void OnMessageNotConfirmed(const CMsg&) {}
    // The SIM wants its PIN (bRefused: the phone refused the last one): true
    // when the host answers with CPhoneRequest::EnterPin or DeclinePin, now
    // or later; false when it cannot ask (the request then fails for it).
    virtual bool OnPinRequired(bool /*bRefused*/) { return false; }
    // The phone book has been downloaded whole; a failed download hands over nothing.
    virtual void OnPhonebook(const std::vector<CContact>&) {}

    // What went wrong, in detail, for a host that shows it. The status line
    // has already said it, with the reason (strReason; empty when the phone
    // gave none, as with a bare ERROR).
    virtual void OnPortError(uint32_t /*dwError*/, const WString& /*strReason*/) {}
    virtual void OnPhoneRefused(const CSmsException&, const WString& /*strReason*/) {}
    virtual void OnNoAnswer() {}  // no answer to "AT" within the handshake time-out
    // An answer after the handshake did not come within the progress
    // time-out; the request is being cancelled. The status line says so.
    virtual void OnNoProgress() { OnStatus(WSTR("Error: timed out waiting for data"), false); }
    // A later recipient's text cannot be sent (strError says why); the run ends there.
    virtual void OnTextRefused(const std::string& /*strError*/) {}

    // What one listing of the phone's memory brought (bReportsOnly: the
    // listing before a send, for the delivery reports): the host stores it
    // (CInboxUpdate) and says what may be deleted.
    virtual CListingResult OnMessagesListed(const std::vector<CListedPdu>& /*pdus*/, bool /*bReportsOnly*/)
    {
        return CListingResult();
    }
    // Reports the phone passed on by itself ("+CDS:"); the reason when they
    // could not be stored.
    virtual std::string OnReportsArrived(const std::vector<CListedPdu>& /*reports*/) { return std::string(); }
    // Every memory has been read; nNew messages were new.
    virtual void OnMessagesRead(size_t /*nNew*/) {}
};

class CPhoneRequest : private CModemSink {
public:
    // The driver's one timer: the wait for an answer, or for offering a
    // refused part again.
    static constexpr unsigned TIMER_DIALOGUE = 34;

    // Neither is owned; both must outlive this object.
    CPhoneRequest(CPortOperations* pQueue, CPhoneRequestHost* pHost);

    CPhoneRequest(const CPhoneRequest&) = delete;
    CPhoneRequest& operator=(const CPhoneRequest&) = delete;

    // The requests, on the named port. Recipients must have been resolved and
    // checked (ResolveRecipients, CheckText) before; each gets its message
    // when its turn comes. An empty list starts nothing (false).
    bool Send(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText);
    bool Save(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText);
    void DownloadPhonebook(const WString& strPort);
    void TestPort(const WString& strPort);
    // Reads the phone's received messages and reports (OnMessagesListed);
    // bReportsOnly: the listings are for the reports alone.
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

    // Every announcement of the serial worker, and every timer of this object.
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);
    void OnTimer(unsigned nId);

    // How the last request went: messages sent or stored, and whether the
    // phone book or the maker arrived.
    size_t GetMessagesDone() const { return m_nDone; }
    size_t GetMessagesNotConfirmed() const { return m_nNotConfirmed; }
    // What the last port test learnt of the phone.
    const CDeviceInfo& GetDeviceInfo() const { return m_modem.GetDeviceInfo(); }
    size_t GetRecipientCount() const { return m_recipients.size(); }
    bool HasResult() const { return m_bResult; }
    // The last request made reads the phone's messages (ReadMessages).
    bool IsReadingMessages() const { return m_modem.GetRequest() == CModem::ERequest::REQ_READ_MESSAGES; }
    // The message of the recipient being served; null before the first.
    const CMsg* GetCurrentMessage() const { return m_messages.empty() ? nullptr : m_messages.back().get(); }
    // The references the phone gave the current message's parts, in order.
    const std::vector<unsigned>& GetPartReferences() const { return m_partRefs; }

private:
    // CModemSink
    void OnPhonebookEntry(const WString& strName, const WString& strNumber) override;
    void OnPhonebookDownloaded() override;
    bool OnMessageSent() override;
    bool OnMessageUploaded() override;
    void OnHandshaking() override;
    void OnRequestEnded() override;
    void OnRequestFailed() override;
    void OnDownloadingPhonebook() override;
    void OnSendingPart(uint8_t btPart) override;
    void OnSending() override;
    void OnUploadingMessage() override;
    void OnModel(const WString& strModel) override;
    void OnRetrying(const WString& strMeaning) override;
    void OnTimedOut() override;
    void OnNotConfirmed() override;
    void OnPinRequired(bool bRefused) override;
    void SetTimeout(uint32_t dwMilliseconds) override;
    void KillTimeout() override;
    void OnReadingMessages() override;
    std::vector<unsigned> OnMessagesListed(const std::vector<CListedPdu>& pdus) override;
    void OnMessagesRead() override;
    void OnReportsArrived(const std::vector<CListedPdu>& reports) override;

    void Reset(const WString& strPort);
    bool StartMessages(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText,
                       bool bSave);
    // Hands the next recipient's message to the driver; false when none was
    // started (all are served, or the text can no longer be sent).
    bool SendNext();
    bool OnMessageDone();
    void Status(const WString& strText, bool bTimed = false) { m_pHost->OnStatus(strText, bTimed); }

    CModem m_modem;
    CPhoneRequestHost* m_pHost;
    WString m_strPort;

    std::vector<CContact> m_recipients;
    size_t m_nNext = 0;  // the recipient to serve next
    WString m_strText;   // the text the run started with
    bool m_bSave = false;
    std::vector<std::unique_ptr<CMsg>> m_messages;  // one per recipient served
    size_t m_nDone = 0;                             // messages sent or stored
    size_t m_nNotConfirmed = 0;                     // messages that may have left

    std::vector<CContact> m_phonebook;  // the entries of a download in progress
    bool m_bResult = false;             // the phone book, the maker or the messages arrived

    bool m_bReportRequested = false;
    bool m_bReadPending = false;
    bool m_bReportsOnly = false;
    std::vector<unsigned> m_partRefs;
    size_t m_nNewMessages = 0;
    std::string m_strStoreError;  // why what the phone listed was not stored
};
