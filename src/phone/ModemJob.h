// One request's own commands, after the handshake the modem session (CModem)
// has run: sending or storing a message, the phone book, the port test,
// reading the phone's messages. A job holds its own steps and data; it talks
// to the phone only through the CModemLink the session gives it, and to the
// one who asked for it only through its own listener, whose calls carry the
// results as arguments.
//
// Errors: a job throws CSmsException for an answer that ends the request;
// the session catches it, hands it to the job's OnFailed (which tells the
// listener) and closes the port. An answer the phone may have sent a
// message by is no failure: the job ends the request as not confirmed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "phone/SmsException.h"

class CModem;

// What the session offers a job. Every command is answered line by line:
// the session takes out echoes, unsolicited codes and blank lines, hands the
// rest to CModemJob::OnLine, and reads on until the job writes again or the
// request ends. A SIM that wants its PIN, or is busy for a moment, is dealt
// with by the session before the job sees the refusal.
class CModemLink {
public:
    explicit CModemLink(CModem& modem) : m_modem(modem) {}

    // Writes the command with CR LF and awaits its answer for the progress
    // time-out.
    void Command(const std::string& strCommand);
    // Writes the bytes as they are (a part's announcement, a PDU) and awaits
    // the answer for dwTimeout.
    void Write(const std::string& strData, uint32_t dwTimeout);
    // Writes a command that holds a secret (the PIN): never traced, never repeated.
    void CommandSecret(const std::string& strCommand);
    // Writes the last command again: the step a refusal interrupted.
    void RepeatCommand();
    // Nothing is read for dwMilliseconds (0: until the next write).
    void Pause(uint32_t dwMilliseconds);
    uint32_t GetProgressTimeout() const;
    uint32_t GetSubmitTimeout() const;
    // From a part's announcement until its PDU is answered the phone reads
    // PDU text: a request that ends meanwhile writes ESC before the close.
    void SetPduPending(bool bPending);
    // The final result code that ends the answer just taken is awaited (5 s
    // at most) before anything else is written.
    void AwaitFinal();
    // A refusal for a moment: the step is repeated (CModemJob::RepeatStep)
    // after 2 s, the next time after 5 s; false when it has been twice.
    bool RetryLater(const std::string& strRefusal);
    // A new step: its refusals get retries of their own.
    void BeginStep();
    // The job's work is done. Once its call has returned, the session asks
    // the owner for the next job on the open port, or closes it.
    void Done();
    // The request ends now, without a failure of its own: what is queued is
    // dropped, a phone at its prompt gets ESC, the port is closed.
    void Abort();
    // A PDU went out and the phone did not say whether it was sent (strReason
    // says how the answer failed): the job is told (OnNotConfirmed), and the
    // request ends.
    void NotConfirmed(const WString& strReason);

private:
    CModem& m_modem;
};

// What every job's listener hears: the request failed.
class CJobListener {
public:
    virtual ~CJobListener() {}
    // The phone answered unexpectedly (error: what was awaited, what came,
    // and why), or the handshake went wrong; the port is being closed.
    virtual void OnFailed(const CSmsException& error) = 0;
};

// How the session is to treat the answers to the job's step now.
struct CStepRules {
    // Lines one answer may have, final result code aside: a phone-book batch
    // with room for several numbers per location, and unsolicited codes.
    size_t nMaxLines = 20 * 8 + 16;
    // A command refused because the SIM is busy is given again later.
    bool bRetryNotReady = true;
    // A PDU went out and its answer has not come: ending now leaves the
    // message not confirmed.
    bool bAwaitingSubmit = false;
};

class CModemJob {
public:
    CModemJob(CModemLink& link, CJobListener& listener) : m_link(link), m_listener(listener) {}
    virtual ~CModemJob() {}

    CModemJob(const CModemJob&) = delete;
    CModemJob& operator=(const CModemJob&) = delete;

    // The handshake is over: the first command.
    virtual void Start() = 0;
    // One line of the answer to the job's last command.
    virtual void OnLine(const std::string& strLine) = 0;
    // The phone's prompt for a PDU ("> "); only a message's part awaits it.
    virtual void OnPrompt() {}
    // After a pause for a refusal, or once the SIM has taken its PIN: the
    // step that was refused, again.
    virtual void RepeatStep() { m_link.RepeatCommand(); }
    // bAccepted: the SIM has taken its PIN (RepeatStep follows); else the
    // user gave none, and the request fails with the reason.
    virtual void OnPin(bool bAccepted)
    {
        if (!bAccepted)
            throw CSmsException("the SIM's PIN", "+CPIN: SIM PIN", "SIM PIN required");
    }
    // The request failed: the listener is told.
    virtual void OnFailed(const CSmsException& error) { m_listener.OnFailed(error); }
    // The request ends while awaiting a PDU's answer: the message may have left.
    virtual void OnNotConfirmed(const WString& /*strReason*/) {}

    const CStepRules& GetRules() const { return m_rules; }

protected:
    CModemLink& m_link;
    CJobListener& m_listener;
    CStepRules m_rules;
};
