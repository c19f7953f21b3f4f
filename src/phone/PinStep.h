// The SIM's PIN, when the phone refused a command for it: "AT+CPIN?" tells
// what the SIM wants; for its PIN the owner asks the user, the PIN is written
// (never traced, never kept), and "AT+CPIN?" is asked once a second until the
// SIM is ready (30 s at most, a busy SIM tolerated). A PIN the phone refused
// is never written again: the user is asked again, told so. Failures are
// thrown as CSmsException with the reason for the user.
#pragma once

#include <string>
#include <vector>

#include "phone/ModemJob.h"
#include "phone/ModemSink.h"

class CPinStep {
public:
    CPinStep(CModemLink& link, CModemSink& sink) : m_link(link), m_sink(sink) {}
    ~CPinStep() { Forget(); }

    CPinStep(const CPinStep&) = delete;
    CPinStep& operator=(const CPinStep&) = delete;

    // strRefusal: the phone's refusal that calls for the PIN.
    void Start(const std::string& strRefusal);
    // True once the SIM is ready: the refused step may be repeated.
    bool OnLine(const std::string& strLine);
    // The pause between two questions is over.
    void OnPause();
    bool IsAwaitingUser() const { return m_eStep == EStep::USER; }
    // The user's PIN (4 to 8 digits).
    void EnterPin(const std::string& strPin);
    // Forgets the PINs the phone refused: at the end of a request.
    void Forget();

    // Questions after the PIN until the SIM is ready, one a second.
    static constexpr unsigned kMaxPolls = 30;
    static constexpr uint32_t kPollPause = 1000;

private:
    enum class EStep { QUERY, USER, ENTER, POLL };

    void OnQueryAnswer();
    void AskUser(bool bRefused);

    CModemLink& m_link;
    CModemSink& m_sink;
    EStep m_eStep = EStep::QUERY;
    std::string m_strRefusal;
    std::string m_strState;   // what "+CPIN:" said last
    std::string m_strPin;     // written, its answer not yet come
    std::vector<std::string> m_refused;  // PINs the phone refused in this request
    bool m_bRefusedOnce = false;
    unsigned m_nPolls = 0;
};
