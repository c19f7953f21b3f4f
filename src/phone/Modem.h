// The modem driver: a state machine that turns a request (send a message,
// store it in the phone, download the phone book, identify the phone, read
// the messages and delivery reports it holds) into an AT dialogue with the
// phone. It runs on the thread that owns it and advances
// one step per announcement of a finished port operation; it touches the port
// only by queueing operations on a CPortOperations, and reports through a
// CModemSink. Every request: open the port, handshake ("AT", "ATE0"), the
// request's own commands, close the port.
//
// One timer watches the whole dialogue: the answer to "AT" is awaited 5 s,
// every later answer the progress time-out (60 s unless set otherwise). Only
// an awaited answer re-arms it: a repeated "OK", an echo, a blank line or an
// unsolicited code does not. Unsolicited codes are ignored in every state.
// A part the phone refuses for a moment (a busy network, a busy phone) is
// offered again, the same PDU, after 2 s and then after 5 s.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "phone/MessageListing.h"
#include "phone/ModemSink.h"
#include "phone/PhoneReply.h"
#include "phone/SmsException.h"
#include "phone/Unsolicited.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"
#include "serial/PortOperations.h"
#include "base/Text.h"

class CMsg;

class CModem {
public:
    // Request kinds; the owner words a failure by them.
    enum class ERequest {
        REQ_PHONEBOOK = 0,
        REQ_SEND = 1,
        REQ_SAVE = 2,
        REQ_DEVICE_TEST = 3,
        REQ_READ_MESSAGES = 4,
    };

    // Dialogue states; "sent" means queued on the command exchange.
    enum class EState {
        ST_AT = 0,               // port open announced, "AT" sent
        ST_ECHO_OFF = 1,         // "ATE0" sent
        ST_PDU_MODE = 2,         // "AT+CMGF=0" sent
        ST_PROMPT = 3,           // "AT+CMGS=<len>\r" or "AT+CMGW=<len>\r" sent
        ST_SUBMIT = 4,           // a PDU and Ctrl-Z sent
        ST_CHARSET = 5,          // "AT+CSCS=\"UTF-8\"" sent
        ST_MODEL = 6,            // "AT+CGMI" sent
        ST_DONE = 7,             // finished; read announcements are ignored
        ST_OPENING = 8,          // request made, port open not yet announced
        ST_PHONEBOOK_RANGE = 9,  // "AT+CPBR=?" sent
        ST_PHONEBOOK_READ = 10,  // "AT+CPBR=<first>,<last>" sent
        ST_RETRY_WAIT = 11,      // a part refused for a moment; offered again when the timer fires
        ST_STORAGES = 12,        // "AT+CPMS?" sent
        ST_SELECT_STORAGE = 13,  // "AT+CPMS=\"<mem>\"" sent
        ST_LIST = 14,            // "AT+CMGL=4" sent
        ST_DELETE = 15,          // "AT+CMGD=<index>" sent
        ST_REPORT_MODE = 16,     // "AT+CNMI=2,1,0,2,0" sent
        ST_RESTORE_STORAGE = 17, // "AT+CPMS=\"<mem>\"" sent for the memory the phone had selected
    };

    static const uint32_t kReadSize = 512;
    static const uint32_t kHandshakeTimeout = 5000;
    // The longest a network may take to answer "AT+CMGS".
    static constexpr uint32_t kProgressTimeout = 60000;
    // A refused part is offered again at most this often, after these pauses.
    static constexpr unsigned kMaxRetries = 2;
    static constexpr uint32_t kRetryDelays[kMaxRetries] = {2000, 5000};
    // Locations read per "AT+CPBR=<first>,<last>": slow phones cope with it.
    static const unsigned kPhonebookBatch = 20;
    // Locations read at most; a phone claiming more is read that far.
    static const unsigned kMaxPhonebookLocations = 10000;
    // Lines of one "AT+CMGL" listing at most: two per stored message of
    // memories far larger than phones have, and unsolicited codes.
    static const size_t kMaxListingLines = 2 * 1000 + 16;
    // Asks the phone to keep delivery reports and announce them ("+CDSI").
    static const char kReportMode[];

    // Neither is owned; both must outlive the driver.
    CModem(CPortOperations* pSerialCom, CModemSink* pSink);

    CModem(const CModem&) = delete;
    CModem& operator=(const CModem&) = delete;

    // The request entry points. The message is not owned and must stay alive
    // until the request has ended or OnMessageSent/OnMessageUploaded has been
    // called for its last part. A send or save may be made from inside those
    // two calls, on the port still open.
    void RequestSend(CMsg* pMsg, const WString& strPort);
    void RequestSave(CMsg* pMsg, const WString& strPort);
    void RequestPhonebook(const WString& strPort);
    void RequestDeviceTest(const WString& strPort);
    // Lists the received messages and reports of every memory the phone
    // uses; the sink says which to delete once it has stored them.
    void RequestReadMessages(const WString& strPort);
    // The next send lists what the phone holds ("AT+CMGL=4") before its first
    // part, for the delivery reports the sink awaits; a refusal does not
    // stop the send.
    void SetReadReports(bool bRead) { m_bReadReports = bRead; }
    // The reference the phone gave the last part it acknowledged ("+CMGS: <mr>").
    unsigned GetLastReference() const { return m_nLastRef; }

    // Every announcement of the command exchange, success or failure (then
    // with the error).
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);

    // The wait for every answer after the one to "AT" (kProgressTimeout
    // unless set); for the requests made afterwards.
    void SetProgressTimeout(uint32_t dwMilliseconds) { m_dwProgressTimeout = dwMilliseconds; }

    // The timer set through SetTimeout has fired; it is killed first. When
    // the phone has not given the awaited answer in time: OnTimedOut, and the
    // request is cancelled (its close announcement ends it). After a refused
    // part: the part is offered again.
    void OnTimer();
    bool IsAwaitingHandshake() const { return m_eState == EState::ST_AT && !m_bClosing; }

    // The user's cancel: discard what is queued, abort the transfer in
    // progress and close the port. Announcements that come in after it are
    // ignored; the close announcement calls OnRequestEnded.
    void Cancel();

    ERequest GetRequest() const { return m_eRequest; }
    // The status text of a failed request of the given kind.
    static const char* GetFailureText(ERequest eRequest);
    EState GetState() const { return m_eState; }
    // What the phone answered instead of the expected reply, for the last
    // failed request (diagnostics; the owner shows only the request's text).
    const CSmsException& GetLastFailure() const { return m_lastFailure; }

private:
    void StartRequest(ERequest eRequest, CMsg* pMsg, const WString& strPort);
    void OnTransportError(EOpKind eKind);
    void OnPortOpened();
    void OnReply(const std::string& strRaw);
    void Dispatch(const std::string& strRaw);
    void Fail(const CSmsException& e);
    void Close();
    void ArmTimer(uint32_t dwMilliseconds);
    void StopTimer();

    void Command(const std::string& strCommand, EState eNewState);
    void ReadAgain();

    void OnAtReply(const std::string& strReply);
    void OnEchoOffReply(const std::string& strReply);
    void StartRequestCommands();

    void OnPduModeReply(const std::string& strReply);
    void OnPromptReply(const std::string& strReply);
    void OnSubmitReply(const std::string& strReply);
    void AnnouncePart();
    bool RetryRefusedPart(const std::string& strReply);
    bool IsSave() const { return m_eRequest == ERequest::REQ_SAVE; }

    void OnModelReply(const std::string& strRaw);
    void OnCharsetReply(const std::string& strReply);
    void OnPhonebookRangeReply(const std::string& strRaw);
    void OnPhonebookReadReply(const std::string& strRaw);
    void ReadNextBatch();
    void FinishPhonebook();
    // The complete lines the burst finishes; throws when they grow unbounded.
    std::vector<std::string> TakeLines(const std::string& strRaw, size_t nMaxLines = 0);

    void OnReportModeReply(const std::string& strRaw);
    void ListMessages();
    void OnStoragesReply(const std::string& strRaw);
    void ReadNextStorage();
    void OnSelectStorageReply(const std::string& strRaw);
    void OnListReply(const std::string& strRaw);
    void DeleteNext();
    void OnDeleteReply(const std::string& strRaw);
    // After the listing and its deletions: the send goes on, the reading
    // goes on with the next memory.
    void FinishListing();
    void FinishReading();
    void OnRestoreStorageReply(const std::string& strRaw);
    void PassOnReports();

    CPortOperations* m_pSerialCom;
    CModemSink* m_pSink;
    EState m_eState;
    ERequest m_eRequest;
    CMsg* m_pMsg;
    bool m_bClosing;       // this request's close is queued: ignore the rest
    bool m_bTimerArmed;
    uint32_t m_dwProgressTimeout;
    CUnsolicitedFilter m_unsolicited;
    std::string m_strPdu;  // the PDU of the current part
    unsigned m_nRetries;   // times the current part has been offered again

    CReplyLines m_replyLines;        // the reply of a multi-line command
    size_t m_nReplyLines;            // lines taken of it so far
    std::vector<std::string> m_modelLines;
    unsigned m_nNextIndex;           // phone-book location to read next
    unsigned m_nLastIndex;           // last phone-book location to read
    bool m_bRangeKnown;

    bool m_bReadReports = false;       // the next send lists the phone's memory first
    bool m_bListingReports = false;    // the listing of a send, for its reports only
    unsigned m_nLastRef = 0;
    std::vector<std::string> m_storages;  // to list; "" is the memory selected
    size_t m_nStorage = 0;                // the next of them
    bool m_bStoragesKnown = false;
    std::string m_strSelected;            // the memory the phone had selected before the listings
    CMessageListing m_listing;
    std::vector<unsigned> m_deletes;      // the indexes still to delete

    CSmsException m_lastFailure;
};
