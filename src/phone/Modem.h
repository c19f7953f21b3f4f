// The modem driver: a session with the phone on one port that runs one job
// at a time (send a message, store it in the phone, download the phone
// book, test the port, read the messages and delivery reports the phone
// holds). It runs on the thread that owns it and advances one step per
// announcement of a finished port operation; it touches the port only by
// queueing operations on a CPortOperations, and reports through a CModemSink
// (its own events) and each job's listener (the job's results).
//
// The session owns what every request shares: the open, the handshake ("AT",
// "ATE0"), the reading of answers line by line across reads, the unsolicited
// codes, the one timer, the SIM's PIN, refusals for a moment, ESC for a phone
// left waiting for a PDU, and the close. A job of its own (CModemJob) holds
// each request's commands.
//
// Listening (KeepOpen): between jobs a read with a bounded wait is always
// outstanding, so the phone's announcements are read as they come, and a
// job's first write waits at most that long behind it, without a cancel
// that could lose what the read had. What such a read brings came before
// anything written after it, so it answers nothing: only its unsolicited
// codes count.
//
// The timer: the answer to "AT" is awaited 5 s, the phone's answer to a PDU
// 180 s (a network may take minutes), every other answer the progress
// time-out (60 s unless set otherwise), and each line of a long answer gives
// the rest of it that time again. Only an awaited answer re-arms it: a
// repeated "OK", an echo, a blank line or an unsolicited code does not.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Text.h"
#include "phone/CommandChannel.h"
#include "phone/Handshake.h"
#include "phone/ModemJob.h"
#include "phone/ModemSink.h"
#include "phone/PinStep.h"
#include "phone/SmsException.h"
#include "serial/PortOperations.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"

class CModem {
public:
    // What the session is doing.
    enum class EState {
        ST_OPENING,     // request made, port open not yet announced
        ST_AT,          // port open announced, "AT" sent
        ST_ECHO_OFF,    // "ATE0" sent
        ST_JOB,         // the request's own commands
        ST_PIN,         // the SIM's PIN is being given
        ST_RETRY_WAIT,  // a step refused for a moment; repeated when the timer fires
        ST_DONE,        // finished; read announcements are ignored
        ST_LISTENING,   // no job, the port kept open: what the phone says by itself is read
    };

    static const uint32_t kReadSize = CCommandChannel::kReadSize;
    // A listening read ends empty after this wait, so that a job's first
    // write waits no longer for it.
    static constexpr uint32_t kListenWaitMs = 1000;
    static const uint32_t kHandshakeTimeout = 5000;
    static constexpr uint32_t kProgressTimeout = 60000;
    // The longest the network's answer to a PDU is awaited.
    static constexpr uint32_t kSubmitTimeout = 180000;
    // The longest the final result code after "+CMGS: <mr>" is awaited.
    static constexpr uint32_t kFinalTimeout = 5000;
    // A refused step is repeated at most this often, after these pauses.
    static constexpr unsigned kMaxRetries = 2;
    static constexpr uint32_t kRetryDelays[kMaxRetries] = {2000, 5000};

    // None is owned; all must outlive the driver.
    CModem(CPortOperations* pSerialCom, CModemSink* pSink, CDialogueTimer* pTimer);
    ~CModem();

    CModem(const CModem&) = delete;
    CModem& operator=(const CModem&) = delete;

    // What jobs are made on.
    CModemLink& Link() { return m_link; }
    // Runs the job on the named port: the port is opened, the handshake
    // run, then the job. Once the job is done the sink is asked for the
    // next one (OnJobDone), which runs on the port still open, with the
    // whole handshake again; without one the port is closed.
    void Start(std::unique_ptr<CModemJob> pJob, const WString& strPort);

    // Every announcement of the command exchange, success or failure (then
    // with the error).
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);

    // bKeep: once the jobs are over the port stays open and what the phone
    // says by itself is read (its announcements go to the sink), until a job
    // starts again on it. Turned off while listening, the port is closed.
    void KeepOpen(bool bKeep);
    bool IsListening() const { return m_eState == EState::ST_LISTENING && !m_bClosing; }

    // The waits, for the requests made afterwards.
    void SetProgressTimeout(uint32_t dwMilliseconds) { m_dwProgressTimeout = dwMilliseconds; }
    void SetSubmitTimeout(uint32_t dwMilliseconds) { m_dwSubmitTimeout = dwMilliseconds; }

    // The dialogue timer has fired; it is killed first. When
    // the phone has not given the awaited answer in time: OnTimedOut (or,
    // after a PDU, the send's OnNotConfirmed), and the request is cancelled.
    // After a refusal: the step is repeated.
    void OnTimer();
    bool IsAwaitingHandshake() const { return m_eState == EState::ST_AT && !m_bClosing; }
    // The request's close is queued: what comes now belongs to no request.
    bool IsEnding() const { return m_bClosing; }

    // The answer to OnPinRequired: the user's PIN (4 to 8 digits), or none.
    void EnterPin(const std::string& strPin);
    void DeclinePin();

    // The user's cancel: discard what is queued, abort the transfer in
    // progress and close the port. Announcements that come in after it are
    // ignored; the close announcement calls OnRequestEnded.
    void Cancel();

    EState GetState() const { return m_eState; }

private:
    friend class CModemLink;

    // For the link.
    void Command(const std::string& strCommand);
    bool RetryLater(const std::string& strRefusal);
    void Close();
    void NotConfirmed(const WString& strReason);

    void OnPortOpened();
    void End();
    void OnRead(const std::string& strData);
    void Listen();
    void ListenAgain();
    void OnListenRead(const std::string& strData);
    void PassOnUnsolicited();
    void Dispatch(const std::vector<std::string>& lines);
    void OnHandshakeLine(const std::string& strLine, bool bMore);
    void OnJobLine(const std::string& strLine);
    void ResumeAfterPin();
    bool IsAwaitingAnswer() const;
    bool IsAwaitingSubmit() const;
    // A step of the job (or of the session for it); once it has returned, a
    // job that is done makes way for the next one.
    void Guarded(const std::function<void()>& fnStep);
    void Fail(const CSmsException& e);
    void StartNext();

    CPortOperations* m_pSerialCom;
    CModemSink* m_pSink;
    CDialogueTimer* m_pTimer;
    CModemLink m_link{*this};
    CCommandChannel m_channel;
    EState m_eState = EState::ST_DONE;
    std::unique_ptr<CModemJob> m_pJob;
    WString m_strPort;
    bool m_bJobDone = false;  // the job said Done: the next one starts once its call has returned
    CHandshake m_handshake;
    CPinStep m_pin{m_link, *m_pSink};

    bool m_bClosing = false;    // this request's close is queued: ignore the rest
    bool m_bRepeating = false;  // a refused step is being repeated
    bool m_bKeepOpen = false;
    bool m_bListenPending = false;  // a listening read is queued or in progress
    uint32_t m_dwProgressTimeout = kProgressTimeout;
    uint32_t m_dwSubmitTimeout = kSubmitTimeout;
    unsigned m_nRetries = 0;
    std::string m_strLastCommand;
};
