#include "phone/SendJob.h"

#include <cstdlib>

#include "base/Trace.h"
#include "phone/PhoneError.h"
#include "phone/PhoneReply.h"
#include "sms/Msg.h"
#include "sms/Pdu.h"

namespace {

const char kCtrlZ = '\x1A';

} // namespace

const char CSendJob::kReportMode[] = "AT+CNMI=2,1,0,2,0";

CSendJob::CSendJob(CModemLink& link, std::unique_ptr<CMsg> pMsg, std::unique_ptr<CSendListener> pListener,
                   bool bSave, bool bListFirst)
    : CModemJob(link, *pListener),
      m_pMsg(std::move(pMsg)),
      m_msg(*m_pMsg),
      m_pListener(std::move(pListener)),
      m_bSave(bSave),
      m_bListFirst(bListFirst && !bSave)
{
}

// Only a message that asks for reports changes where the phone puts them.
void CSendJob::Start()
{
    SetStep(!m_bSave && m_msg.m_bStatusReport ? EStep::REPORT_MODE : EStep::PDU_MODE);
    m_link.Command(m_eStep == EStep::REPORT_MODE ? kReportMode : "AT+CMGF=0");
}

// A part's refusals for a moment are its own, announced to the listener.
void CSendJob::SetStep(EStep eStep)
{
    m_eStep = eStep;
    m_rules.nMaxLines = eStep == EStep::LISTING ? CListingStep::kMaxLines : CStepRules().nMaxLines;
    m_rules.bRetryNotReady = eStep != EStep::PROMPT && eStep != EStep::SUBMIT;
    m_rules.bAwaitingSubmit = eStep == EStep::SUBMIT && !m_bSave;
}

void CSendJob::OnLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    switch (m_eStep) {
    case EStep::REPORT_MODE:
        // A phone that does not keep reports as asked keeps its own way.
        if (result == EFinalResult::FINAL_ERROR)
            TRACE_PAIR("The phone refused '%s': '%s'\n", kReportMode, strLine.c_str());
        if (result != EFinalResult::FINAL_NONE) {
            SetStep(EStep::PDU_MODE);
            m_link.Command("AT+CMGF=0");
        }
        return;
    case EStep::PDU_MODE:
        if (result == EFinalResult::FINAL_ERROR)
            throw CSmsException("OK", strLine);
        if (result == EFinalResult::FINAL_NONE)
            return;
        if (!m_bListFirst) {
            AnnouncePart(true);
            return;
        }
        SetStep(EStep::LISTING);
        m_pListing = std::make_unique<CListingStep>(m_link, *m_pListener, true);
        m_pListing->Start();
        return;
    case EStep::LISTING:
        if (m_pListing->OnLine(strLine))
            AnnouncePart(true);
        return;
    case EStep::PROMPT:
        OnPromptLine(strLine);
        return;
    case EStep::SUBMIT:
        OnSubmitLine(strLine);
        return;
    default:
        return;
    }
}

// Builds the current part's PDU and announces it with its TPDU length.
void CSendJob::AnnouncePart(bool bNewPart)
{
    if (bNewPart)
        m_link.BeginStep();
    // The window refuses such texts and numbers before it asks; a garbled
    // PDU must never reach the phone all the same.
    if (m_msg.IsTooLong())
        throw CSmsException("at most 255 parts", std::to_string(m_msg.GetTotalParts()) + " parts");
    if (!m_msg.BuildPdu(m_strPdu))
        throw CSmsException("a number that can be sent", WideToAnsi(m_msg.m_strNumber));
    SetStep(EStep::PROMPT);
    const std::string strLength = std::to_string(GetTpduLength(m_strPdu));
    m_link.SetPduPending(true);
    m_link.Write((m_bSave ? "AT+CMGW=" : "AT+CMGS=") + strLength + "\r", m_link.GetProgressTimeout());
}

void CSendJob::RepeatStep()
{
    if (m_eStep == EStep::PROMPT || m_eStep == EStep::SUBMIT)
        AnnouncePart(false);
    else if (m_eStep == EStep::LISTING)
        m_pListing->Repeat();
    else
        m_link.RepeatCommand();
}

// A late "OK" or anything else the phone says before its prompt is passed
// over; a refusal ends the part.
void CSendJob::OnPromptLine(const std::string& strLine)
{
    if (GetFinalResult(strLine) != EFinalResult::FINAL_ERROR) {
        TRACE_PAIR("Passed over '%s' before the prompt\n", strLine.c_str());
        return;
    }
    m_link.SetPduPending(false);
    if (!RetryRefusedPart(strLine))
        Refused(">", strLine);
}

// The owner notes that the PDU goes before it goes; one that cannot be
// noted does not go.
void CSendJob::OnPrompt()
{
    if (m_eStep != EStep::PROMPT) {
        TRACE_PAIR("A prompt nobody asked for\n");
        return;
    }
    if (!m_pListener->OnSubmitting(Part(), m_msg.GetTotalParts())) {
        SetStep(EStep::DONE);
        m_link.Abort();
        return;
    }
    SetStep(EStep::SUBMIT);
    m_link.Write(m_strPdu + kCtrlZ, m_bSave ? m_link.GetProgressTimeout() : m_link.GetSubmitTimeout());
}

// "+CMGS: <mr>" (the space optional) sends the part; the reference that
// follows serves the delivery report. "+CMGW: <index>" stores it.
void CSendJob::OnSubmitLine(const std::string& strLine)
{
    const char* pszAck = m_bSave ? "+CMGW:" : "+CMGS:";
    if (StartsWith(strLine, pszAck)) {
        m_link.SetPduPending(false);
        OnAcknowledged(strLine);
        return;
    }
    const EFinalResult result = GetFinalResult(strLine);
    // The late final code of an earlier answer, the PDU's echo, a line of the phone's own.
    if (result == EFinalResult::FINAL_OK ||
        (result == EFinalResult::FINAL_NONE && !StartsWith(strLine, m_bSave ? "+CMGS:" : "+CMGW:"))) {
        TRACE_PAIR("Passed over '%s' before the answer to the PDU\n", strLine.c_str());
        return;
    }
    m_link.SetPduPending(false);
    CPhoneError error;
    if (!m_bSave && FindPhoneError(strLine, error) && MayHaveBeenSent(error)) {
        SetStep(EStep::DONE);
        m_link.NotConfirmed(AnsiToWide(DescribePhoneError(strLine)));
        return;
    }
    if (!RetryRefusedPart(strLine))
        Refused(std::string(pszAck) + " ", strLine);
}

void CSendJob::Refused(const std::string& strExpected, const std::string& strLine)
{
    SetStep(EStep::DONE);  // no longer awaiting its answer: the failure is certain
    throw CSmsException(strExpected, strLine);
}

void CSendJob::OnAcknowledged(const std::string& strAck)
{
    const std::string strRef = TrimWhite(strAck.substr(6));
    if (strRef.empty() || strRef.find_first_not_of("0123456789") != std::string::npos)
        TRACE_PAIR("An acknowledgement without its reference: '%s'\n", strAck.c_str());
    const unsigned nMr = static_cast<unsigned>(std::strtoul(strRef.c_str(), nullptr, 10)) & 0xFF;
    m_link.AwaitFinal();
    const unsigned nPart = Part();
    m_msg.NextPart();
    const bool bComplete = m_msg.IsComplete();
    SetStep(bComplete ? EStep::DONE : EStep::PROMPT);
    m_pListener->OnPartAccepted(nPart, nMr);
    if (bComplete)
        m_link.Done();
    else
        AnnouncePart(true);
}

// Only what cannot have left the phone is offered again; a stored part only
// when the SIM was busy.
bool CSendJob::RetryRefusedPart(const std::string& strLine)
{
    CPhoneError error;
    if (!FindPhoneError(strLine, error) || !(m_bSave ? IsSimNotReady(error) : IsTransient(error)))
        return false;
    if (!m_link.RetryLater(strLine))
        return false;
    const char* pszMeaning = GetPhoneErrorMeaning(error.eKind, error.nCode);
    m_pListener->OnRetrying(Part(), AnsiToWide(pszMeaning ? pszMeaning : error.strText));
    return true;
}

void CSendJob::OnNotConfirmed(const WString& strReason)
{
    m_pListener->OnNotConfirmed(Part(), strReason);
}
