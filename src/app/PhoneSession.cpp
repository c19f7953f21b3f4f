#include "app/PhoneSession.h"

#include "base/Trace.h"

CPhoneSession::CPhoneSession(CPortOperations* pQueue, CSessionHost* pHost, CDialogueTimer* pTimer)
    : m_modem(pQueue, this, pTimer), m_pHost(pHost), m_pTimer(pTimer)
{
}

bool CPhoneSession::Run(std::unique_ptr<CPhoneRequest> pRequest, const WString& strPort)
{
    m_pRequest = std::move(pRequest);
    m_strPort = m_pReceiver ? m_strListenPort : strPort;
    m_pRequest->Attach(*m_pHost, m_strPort);
    std::unique_ptr<CModemJob> pJob = m_pRequest->NextJob(m_modem.Link());
    if (!pJob)
        return false;
    m_bRequestRunning = true;
    Status(WSTR("Connecting..."));
    if (m_pReceiver && !m_bChain && !m_modem.IsListening())
        m_pReceiver->Restart();  // a fresh open: after the request the phone is asked again, its memory listed
    if (m_bChain)
        m_pWaiting = std::move(pJob);
    else
        StartChain(std::move(pJob), m_strPort);
    return true;
}

void CPhoneSession::StartChain(std::unique_ptr<CModemJob> pJob, const WString& strPort)
{
    ArmIdle(EIdleTimer::NONE, 0);
    m_bChain = true;
    m_bPortFailed = false;
    m_modem.Start(std::move(pJob), strPort);
}

void CPhoneSession::Listen(CReceiver* pReceiver, const WString& strPort)
{
    CReceiver* pBefore = m_pReceiver;
    const bool bMoved = pBefore && strPort != m_strListenPort;
    const bool bWasOpen = m_modem.IsListening();
    if (pBefore && pBefore != pReceiver)
        pBefore->SetState(EListening::STOPPED, m_strListenPort);
    m_pReceiver = pReceiver;
    m_strListenPort = strPort;
    if (!m_bChain)
        ArmIdle(EIdleTimer::NONE, 0);
    if (!pReceiver || bMoved) {
        m_modem.KeepOpen(false);  // an idle port is closed; the close's end opens the other
        m_bChain = m_bChain || bWasOpen;  // until then a request waits for it
    }
    if (!pReceiver)
        return;
    m_modem.KeepOpen(true);
    if (!m_bChain && !bWasOpen)
        ServeReceiver();
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
// request ended. While listening without a request, the receiver says it.
void CPhoneSession::OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
{
    if (pError && m_modem.IsEnding()) {
        TRACE_PAIR("After the end: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
    } else if (pError && m_pReceiver && (!m_bRequestRunning || m_pWaiting)) {
        TRACE_PAIR("Listening: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
        m_bPortFailed = true;
        m_pHost->OnPortError(pError->m_dwError, pError->GetReason(pOp && pOp->m_eKind == EOpKind::OP_OPEN, m_strListenPort));
    } else if (pError) {
        TRACE_REPORT("CSerialPortException: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
        const WString strReason = pError->GetReason(pOp && pOp->m_eKind == EOpKind::OP_OPEN, m_strPort);
        m_bPortFailed = true;
        if (m_pRequest)
            m_pRequest->Stop();
        Status(WSTR("Error: ") + strReason + Progress());
        m_pHost->OnPortError(pError->m_dwError, strReason);
    }
    m_modem.OnOperationComplete(std::move(pOp), std::move(pError));
}

void CPhoneSession::OnTimer(unsigned nId)
{
    if (nId != TIMER_DIALOGUE)
        return;
    const EIdleTimer eIdle = m_eIdle;
    if (eIdle == EIdleTimer::NONE || m_bChain) {
        m_modem.OnTimer();
        return;
    }
    ArmIdle(EIdleTimer::NONE, 0);
    if (eIdle == EIdleTimer::POLL && m_pReceiver)
        m_pReceiver->Poll();
    ServeReceiver();
}

void CPhoneSession::ArmIdle(EIdleTimer eTimer, uint32_t dwMilliseconds)
{
    if (m_eIdle != EIdleTimer::NONE)
        m_pTimer->KillTimeout();
    m_eIdle = eTimer;
    if (eTimer != EIdleTimer::NONE)
        m_pTimer->SetTimeout(dwMilliseconds);
}

void CPhoneSession::ServeReceiver()
{
    if (!m_pReceiver || m_bChain)
        return;
    if (!m_modem.IsListening())  // closed: opened again, with the receiver's start
        m_pReceiver->Restart();
    std::unique_ptr<CModemJob> pJob = m_pReceiver->NextJob(m_modem.Link());
    if (pJob)
        StartChain(std::move(pJob), m_strListenPort);
    else if (m_pReceiver->IsPolling())
        ArmIdle(EIdleTimer::POLL, CReceiver::kPollMs);
}

// --- CModemSink ------------------------------------------------------------------

// The jobs of listening say nothing on the status line.
void CPhoneSession::OnHandshaking()
{
    if (m_bRequestRunning && !m_pWaiting)
        Status(WSTR("Handshaking..."));
}

// Each job of a request (a send's next recipient) on the port the one before
// left open; while listening, then the request that waited, then the
// receiver's jobs. A request is over with its last job when the port stays open.
std::unique_ptr<CModemJob> CPhoneSession::OnJobDone(CModemLink& link)
{
    if (m_pWaiting)
        return std::move(m_pWaiting);
    if (m_bRequestRunning) {
        std::unique_ptr<CModemJob> pNext = m_pRequest->NextJob(link);
        if (pNext) {
            Status(WSTR("Connecting..."));
            return pNext;
        }
        if (!m_pReceiver)
            return nullptr;
        EndRequest();
        if (m_pWaiting)  // the host ran the next request at once
            return std::move(m_pWaiting);
    }
    if (!m_pReceiver)
        return nullptr;
    if (m_pReceiver->IsSetUp())  // said before the listing after a lost port shows what it finds
        m_pReceiver->SetState(EListening::LISTENING, m_strListenPort);
    return m_pReceiver->NextJob(link);
}

void CPhoneSession::EndRequest()
{
    m_bRequestRunning = false;
    const bool bChain = m_bChain;
    m_bChain = true;  // a request the host runs now waits for the driver
    if (m_pRequest)
        m_pRequest->OnEnded();
    m_pHost->OnRequestEnded();
    m_bChain = bChain;
}

void CPhoneSession::OnRequestEnded()
{
    m_bChain = false;
    if ((m_bRequestRunning || !m_pReceiver) && !m_pWaiting)
        EndRequest();
    if (m_pWaiting) {  // run by the host at the end, or behind a job of listening that closed the port
        if (m_pReceiver && !m_modem.IsListening())
            m_pReceiver->Restart();
        StartChain(std::move(m_pWaiting), m_strPort);
        return;
    }
    if (!m_pReceiver)
        return;
    if (m_modem.IsListening()) {
        m_pReceiver->SetState(EListening::LISTENING, m_strListenPort);
        ServeReceiver();
        return;
    }
    OnPortClosed();
}

// The port failed or the phone stopped answering: tried again in 10 s;
// closed otherwise (a cancel, another port): opened again at once.
void CPhoneSession::OnPortClosed()
{
    if (!m_bPortFailed) {
        ServeReceiver();
        return;
    }
    m_pReceiver->SetState(EListening::LOST, m_strListenPort);
    ArmIdle(EIdleTimer::RETRY, CReceiver::kRetryMs);
}

void CPhoneSession::OnTimedOut()
{
    m_bPortFailed = true;
    if (!m_bRequestRunning || m_pWaiting)
        return;
    if (m_modem.IsAwaitingHandshake()) {
        Status(WSTR("Error: timed out waiting for data"));
        m_pHost->OnNoAnswer();
    } else {
        m_pHost->OnNoProgress();
    }
}

void CPhoneSession::OnPinRequired(bool bRefused)
{
    if (!m_bRequestRunning || m_pWaiting) {  // the PIN is the user's to give, for a request of theirs
        m_modem.DeclinePin();
        return;
    }
    Status(bRefused ? WSTR("The phone refused the PIN") : WSTR("The SIM asks for its PIN"));
    if (!m_pHost->OnPinRequired(bRefused))
        m_modem.DeclinePin();
}

void CPhoneSession::OnReportsArrived(const std::vector<CListedPdu>& reports)
{
    if (m_pReceiver) {
        m_pReceiver->TakeReports(reports);
        return;
    }
    std::string strError;
    if (m_pRecorder && !m_pRecorder->TakeReports(reports, strError))
        TRACE_PAIR("Not stored: %s\n", strError.c_str());
}

void CPhoneSession::OnAnnounced(const std::vector<CAnnounced>& announced)
{
    if (!m_pReceiver)
        return;
    m_pReceiver->Take(announced);
    if (!m_bChain && m_modem.IsListening())
        ServeReceiver();
}
