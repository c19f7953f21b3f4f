#include "app/PhoneSession.h"

#include "base/Trace.h"

CPhoneSession::CPhoneSession(CPortOperations* pQueue, CSessionHost* pHost, CDialogueTimer* pTimer)
    : m_modem(pQueue, this, pTimer), m_pHost(pHost)
{
}

bool CPhoneSession::Run(std::unique_ptr<CPhoneRequest> pRequest, const WString& strPort)
{
    m_pRequest = std::move(pRequest);
    m_strPort = strPort;
    m_pRequest->Attach(*m_pHost, strPort);
    std::unique_ptr<CModemJob> pJob = m_pRequest->NextJob(m_modem.Link());
    if (!pJob)
        return false;
    Status(WSTR("Connecting..."));
    m_modem.Start(std::move(pJob), strPort);
    return true;
}

// A cancel after a PDU went out leaves its message not confirmed, which
// the status line says instead.
void CPhoneSession::Cancel()
{
    const size_t nNotConfirmed = m_pRequest ? m_pRequest->GetNotConfirmed() : 0;
    m_modem.Cancel();
    if (m_pRequest)
        m_pRequest->Stop();
    if (!m_pRequest || m_pRequest->GetNotConfirmed() == nNotConfirmed)
        Status(WSTR("Canceled") + Progress());
}

// A port error after the request has ended (the ESC or the close of a phone
// that is gone) changes nothing the user must know: the status says how the
// request ended.
void CPhoneSession::OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
{
    if (pError && m_modem.IsEnding()) {
        TRACE_PAIR("After the end: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
    } else if (pError) {
        TRACE_REPORT("CSerialPortException: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
        const WString strReason = pError->GetReason(pOp && pOp->m_eKind == EOpKind::OP_OPEN, m_strPort);
        if (m_pRequest)
            m_pRequest->Stop();
        Status(WSTR("Error: ") + strReason + Progress());
        m_pHost->OnPortError(pError->m_dwError, strReason);
    }
    m_modem.OnOperationComplete(std::move(pOp), std::move(pError));
}

void CPhoneSession::OnTimer(unsigned nId)
{
    if (nId == TIMER_DIALOGUE)
        m_modem.OnTimer();
}

// --- CModemSink ------------------------------------------------------------------

void CPhoneSession::OnHandshaking()
{
    Status(WSTR("Handshaking..."));
}

// Each job of a request (a send's next recipient) on the port the one before
// left open.
std::unique_ptr<CModemJob> CPhoneSession::OnJobDone(CModemLink& link)
{
    std::unique_ptr<CModemJob> pNext = m_pRequest ? m_pRequest->NextJob(link) : nullptr;
    if (pNext)
        Status(WSTR("Connecting..."));
    return pNext;
}

void CPhoneSession::OnRequestEnded()
{
    if (m_pRequest)
        m_pRequest->OnEnded();
    m_pHost->OnRequestEnded();
}

void CPhoneSession::OnTimedOut()
{
    if (m_modem.IsAwaitingHandshake()) {
        Status(WSTR("Error: timed out waiting for data"));
        m_pHost->OnNoAnswer();
    } else {
        m_pHost->OnNoProgress();
    }
}

void CPhoneSession::OnPinRequired(bool bRefused)
{
    Status(bRefused ? WSTR("The phone refused the PIN") : WSTR("The SIM asks for its PIN"));
    if (!m_pHost->OnPinRequired(bRefused))
        m_modem.DeclinePin();
}

void CPhoneSession::OnReportsArrived(const std::vector<CListedPdu>& reports)
{
    std::string strError;
    if (m_pRecorder && !m_pRecorder->TakeReports(reports, strError))
        TRACE_PAIR("Not stored: %s\n", strError.c_str());
}
