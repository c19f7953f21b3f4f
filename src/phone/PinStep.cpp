#include "phone/PinStep.h"

#include <algorithm>

#include "base/Trace.h"
#include "phone/PhoneError.h"
#include "phone/PhoneReply.h"

namespace {

// Zeros, before the memory goes back.
void Wipe(std::string& str)
{
    std::fill(str.begin(), str.end(), '\0');
    str.clear();
}

bool IsPin(const std::string& str)
{
    return str.size() >= 4 && str.size() <= 8 && str.find_first_not_of("0123456789") == std::string::npos;
}

} // namespace

void CPinStep::Start(const std::string& strRefusal)
{
    TRACE_PAIR("The SIM wants its PIN: '%s'\n", strRefusal.c_str());
    m_strRefusal = strRefusal;
    m_bRefusedOnce = false;
    m_eStep = EStep::QUERY;
    m_strState.clear();
    m_link.Command("AT+CPIN?");
}

void CPinStep::Forget()
{
    Wipe(m_strPin);
    for (std::string& str : m_refused)
        Wipe(str);
    m_refused.clear();
}

bool CPinStep::OnLine(const std::string& strLine)
{
    if (strLine.compare(0, 6, "+CPIN:") == 0) {
        m_strState = TrimWhite(strLine.substr(6));
        return false;
    }
    const EFinalResult result = GetFinalResult(strLine);
    if (result == EFinalResult::FINAL_NONE)
        return false;
    CPhoneError error;
    const bool bError = result == EFinalResult::FINAL_ERROR;
    const bool bFound = bError && FindPhoneError(strLine, error);
    switch (m_eStep) {
    case EStep::ENTER:
        if (bFound && error.eKind == CPhoneError::EKind::CME && error.bNumeric && error.nCode == 16) {
            m_refused.push_back(m_strPin);  // never written again
            m_strPin.clear();
            m_bRefusedOnce = true;
            m_eStep = EStep::QUERY;
            m_link.Command("AT+CPIN?");
            return false;
        }
        Wipe(m_strPin);
        if (bError)
            throw CSmsException("OK", strLine, "the phone did not take the PIN");
        m_eStep = EStep::POLL;
        m_nPolls = 0;
        m_strState.clear();
        m_link.Command("AT+CPIN?");
        return false;
    case EStep::POLL:
        if (!bError && m_strState == "READY")
            return true;
        if (bError && !(bFound && IsSimNotReady(error)))
            throw CSmsException("+CPIN: READY", strLine, "the SIM did not become ready");
        m_link.Pause(kPollPause);
        return false;
    default:  // QUERY
        if (bError)
            throw CSmsException("+CPIN: SIM PIN", strLine, DescribePhoneError(m_strRefusal));
        OnQueryAnswer();
        return m_strState == "READY";
    }
}

void CPinStep::OnQueryAnswer()
{
    if (m_strState == "READY")
        return;  // ready by now: the step is tried again
    if (m_strState == "SIM PIN") {
        AskUser(m_bRefusedOnce);
        return;
    }
    if (m_strState == "SIM PUK")
        throw CSmsException("+CPIN: SIM PIN", "+CPIN: SIM PUK",
                            "the SIM is locked: unlock it with its PUK in a phone, then try again");
    throw CSmsException("+CPIN: SIM PIN", "+CPIN: " + m_strState, "the SIM wants its " + m_strState);
}

void CPinStep::AskUser(bool bRefused)
{
    m_eStep = EStep::USER;
    m_link.Pause(0);
    m_sink.OnPinRequired(bRefused);
}

void CPinStep::EnterPin(const std::string& strPin)
{
    if (m_eStep != EStep::USER)
        return;
    const bool bRefused = std::find(m_refused.begin(), m_refused.end(), strPin) != m_refused.end();
    if (!IsPin(strPin) || bRefused) {
        AskUser(true);
        return;
    }
    m_eStep = EStep::ENTER;
    m_strPin = strPin;
    m_link.CommandSecret("AT+CPIN=\"" + strPin + "\"");
}

void CPinStep::OnPause()
{
    if (m_eStep != EStep::POLL)
        return;
    if (++m_nPolls >= kMaxPolls)
        throw CSmsException("+CPIN: READY", "+CPIN: " + m_strState, "the SIM did not become ready");
    m_strState.clear();
    m_link.Command("AT+CPIN?");
}
