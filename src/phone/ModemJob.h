// One request's own commands, after the handshake the modem session (CModem)
// has run: sending or storing a message, the phone book, the port test,
// reading the phone's messages. A job holds its own steps and data; it talks
// to the phone only through the CModemLink the session gives it, and to the
// owner through the session's sink.
//
// Errors: a job throws CSmsException for an answer that ends the request;
// the session catches it, hands it to the job's OnFailed and closes the
// port. An answer the phone may have sent a message by is no failure: the
// job ends the request as not confirmed instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "phone/ModemSink.h"
#include "phone/SmsException.h"

// What the session offers a job. Every command is answered line by line:
// the session takes out echoes, unsolicited codes and blank lines, hands the
// rest to CModemJob::OnLine, and reads on until the job writes again or the
// request ends. A SIM that wants its PIN, or is busy for a moment, is dealt
// with by the session before the job sees the refusal.
class CModemLink {
public:
    virtual ~CModemLink() {}

    virtual CModemSink& Sink() = 0;
    // Writes the command with CR LF and awaits its answer for the progress
    // time-out.
    virtual void Command(const std::string& strCommand) = 0;
    // Writes the bytes as they are (a part's announcement, a PDU) and awaits
    // the answer for dwTimeout.
    virtual void Write(const std::string& strData, uint32_t dwTimeout) = 0;
    // Writes a command that holds a secret (the PIN): never traced, never repeated.
    virtual void CommandSecret(const std::string& strCommand) = 0;
    // Writes the last command again: the step a refusal interrupted.
    virtual void RepeatCommand() = 0;
    // Nothing is read for dwMilliseconds; the job's OnPause follows.
    virtual void Pause(uint32_t dwMilliseconds) = 0;
    virtual uint32_t GetProgressTimeout() const = 0;
    virtual uint32_t GetSubmitTimeout() const = 0;
    // From a part's announcement until its PDU is answered the phone reads
    // PDU text: a request that ends meanwhile writes ESC before the close.
    virtual void SetPduPending(bool bPending) = 0;
    // The final result code that ends the answer just taken is awaited (5 s
    // at most) before anything else is written.
    virtual void AwaitFinal() = 0;
    // A refusal for a moment: the step is repeated (CModemJob::RepeatStep)
    // after 2 s, the next time after 5 s; false when it has been twice.
    virtual bool RetryLater(const std::string& strRefusal) = 0;
    // A new step: its refusals get retries of their own.
    virtual void BeginStep() = 0;
    // The request's work is done (the owner may start the next one on the
    // open port from inside the calls that follow); Close ends it.
    virtual void Complete() = 0;
    virtual void Close() = 0;
    // The request ends now, without a failure of its own: what is queued is
    // dropped, a phone at its prompt gets ESC, the port is closed.
    virtual void Abort() = 0;
    // A PDU went out and the phone did not say whether it was sent (strReason
    // says how the answer failed): the job is told (OnNotConfirmed), and the
    // request ends.
    virtual void NotConfirmed(const WString& strReason) = 0;
};

class CModemJob {
public:
    explicit CModemJob(CModemLink& link) : m_link(link) {}
    virtual ~CModemJob() {}

    CModemJob(const CModemJob&) = delete;
    CModemJob& operator=(const CModemJob&) = delete;

    // The handshake is over: the first command.
    virtual void Start() = 0;
    // One line of the answer to the job's last command.
    virtual void OnLine(const std::string& strLine) = 0;
    // The phone's prompt for a PDU ("> "); only a message's part awaits it.
    virtual void OnPrompt() {}
    // A pause the job asked for is over.
    virtual void OnPause() {}
    // After a pause for a refusal, or once the SIM has taken its PIN: the
    // step that was refused, again.
    virtual void RepeatStep() { m_link.RepeatCommand(); }
    // The user gave no PIN: the request fails, with the reason.
    virtual void OnPinDeclined() { throw CSmsException("the SIM's PIN", "+CPIN: SIM PIN", "SIM PIN required"); }
    // The SIM has taken the PIN (before RepeatStep).
    virtual void OnPinAccepted() {}
    // A PDU went out and its answer has not come: ending now leaves the
    // message not confirmed.
    virtual bool IsAwaitingSubmit() const { return false; }
    // The request failed (a CSmsException of a step, a handshake that went
    // wrong): the owner is told.
    virtual void OnFailed(const CSmsException& error) { m_link.Sink().OnRequestFailed(error); }
    // The request ends while IsAwaitingSubmit: the owner is told that the
    // message may have left.
    virtual void OnNotConfirmed(const WString& /*strReason*/) {}
    // Lines one answer may have, final result code aside.
    virtual size_t GetMaxLines() const { return kMaxLines; }
    // Whether a command refused because the SIM is busy is given again later.
    virtual bool RetriesWhenNotReady() const { return true; }

    // Lines of one answer: a phone-book batch with room for several numbers
    // per location, and unsolicited codes in between.
    static const size_t kMaxLines = 20 * 8 + 16;

protected:
    CModemLink& m_link;
};
