#include "phone/Modem.h"

#include "base/Trace.h"
#include "phone/PhoneError.h"

CModem::CModem(CPortOperations* pSerialCom, CModemSink* pSink, CDialogueTimer* pTimer)
    : m_pSerialCom(pSerialCom), m_pSink(pSink), m_pTimer(pTimer), m_channel(pSerialCom, pTimer)
{
}

CModem::~CModem() = default;

void CModem::Start(std::unique_ptr<CModemJob> pJob, const WString& strPort)
{
    // One request at a time: the next one starts once this one has finished.
    ZASSERT(m_eState == EState::ST_DONE || m_eState == EState::ST_LISTENING || m_bClosing);
    m_pJob = std::move(pJob);
    m_strPort = strPort;
    m_bJobDone = false;
    // Until the open is announced nothing from the phone belongs to this
    // request, and a handshake timer left from an earlier one must not act.
    m_eState = EState::ST_OPENING;
    m_bClosing = false;
    m_nRetries = 0;
    m_pin.Forget();
    m_channel.Reader().ResetCodes();
    m_pSerialCom->OpenPort(WideToAnsi(strPort));
}

// The job before has returned from its last call: it goes, and the next one
// runs on the port still open.
void CModem::StartNext()
{
    m_bJobDone = false;
    std::unique_ptr<CModemJob> pNext = m_pSink->OnJobDone(m_link);
    if (pNext)
        Start(std::move(pNext), m_strPort);
    else if (m_bKeepOpen)
        Listen();
    else
        Close();
}

void CModem::KeepOpen(bool bKeep)
{
    m_bKeepOpen = bKeep;
    if (!bKeep && IsListening())
        Close();
}

// The owner may start the next job at once, which then waits for no
// listening read.
void CModem::Listen()
{
    m_eState = EState::ST_LISTENING;
    m_channel.StopTimer();
    m_pSink->OnRequestEnded();
    ListenAgain();
}

void CModem::ListenAgain()
{
    if (IsListening() && !m_bListenPending) {
        m_bListenPending = true;
        m_pSerialCom->Listen(kReadSize, kListenWaitMs);
    }
}

void CModem::OnListenRead(const std::string& strData)
{
    if (m_bClosing)
        return;
    if (!strData.empty()) {
        try {
            const std::vector<std::string> lines = m_channel.Reader().Take(strData);
            if (!lines.empty())
                TRACE_PAIR("Passed over %u lines nothing had asked for\n", static_cast<unsigned>(lines.size()));
        } catch (const CSmsException&) {
            m_channel.Reader().Clear();  // babble without a line end
        }
        PassOnUnsolicited();
    }
    ListenAgain();
}

void CModem::PassOnUnsolicited()
{
    const std::vector<CListedPdu> reports = m_channel.Reader().TakeReports();
    if (!reports.empty())
        m_pSink->OnReportsArrived(reports);
    const std::vector<CAnnounced> announced = m_channel.Reader().TakeAnnounced();
    if (!announced.empty())
        m_pSink->OnAnnounced(announced);
}

void CModem::OnOperationComplete(std::unique_ptr<CSerialOp> op, std::unique_ptr<CSerialPortException> error)
{
    ZASSERT(op);
    if (!op)
        return;
    const bool bListenRead = op->m_eKind == EOpKind::OP_READ && op->m_dwWaitMs;
    if (bListenRead)
        m_bListenPending = false;
    else if (op->m_eKind == EOpKind::OP_READ)
        m_channel.OnReadDone();
    if (op->m_eKind == EOpKind::OP_CLOSE) {  // failed or not: whatever comes after it belongs to no request
        m_bClosing = true;
        m_channel.StopTimer();
        m_pSink->OnRequestEnded();
        return;
    }
    // The owner has shown the port's error. The request ends as every request
    // does, with a close whose announcement calls OnRequestEnded, and the
    // worker keeps running, so the next request works.
    if (error) {
        if (m_bClosing || op->m_eKind == EOpKind::OP_ENUM_PORTS)
            return;
        if (IsAwaitingSubmit())
            NotConfirmed(WSTR("the port failed: ") + error->GetErrorText());
        else
            End();
        return;
    }
    switch (op->m_eKind) {
    case EOpKind::OP_OPEN:
        m_channel.WhenWritable([this] { OnPortOpened(); });  // the answer before may not be over
        break;
    case EOpKind::OP_READ:
        if (bListenRead)
            OnListenRead(op->GetData());
        else
            OnRead(op->GetData());
        break;
    default:  // writes and the port list need nothing from the driver
        break;
    }
}

void CModem::OnPortOpened()
{
    if (m_bClosing)  // cancelled while the port was being opened
        return;
    m_pSink->OnHandshaking();
    m_eState = EState::ST_AT;
    m_channel.CancelAll();
    m_channel.Send("AT\r\n", "AT", kHandshakeTimeout, false);
}

void CModem::OnTimer()
{
    m_channel.OnTimerFired();
    m_pTimer->KillTimeout();
    if (m_bClosing)
        return;
    if (m_channel.IsFinalPending()) {
        m_channel.GoOnWithoutFinal();
    } else if (m_eState == EState::ST_DONE || m_eState == EState::ST_OPENING || m_eState == EState::ST_LISTENING) {
        return;
    } else if (m_eState == EState::ST_RETRY_WAIT) {
        m_eState = EState::ST_JOB;
        m_bRepeating = true;
        Guarded([this] { m_pJob->RepeatStep(); });
    } else if (m_channel.IsIdle()) {  // a pause is over
        if (m_eState == EState::ST_PIN)
            Guarded([this] { m_pin.OnPause(); });
    } else {
        TRACE_PAIR("No answer in state %d\n", static_cast<int>(m_eState));
        if (IsAwaitingSubmit()) {
            NotConfirmed(AnsiToWide("no answer within " + std::to_string(m_dwSubmitTimeout / 1000) + " s"));
            return;
        }
        m_pSink->OnTimedOut();
        End();
    }
}

void CModem::EnterPin(const std::string& strPin)
{
    if (m_eState == EState::ST_PIN && m_pin.IsAwaitingUser() && !m_bClosing)
        Guarded([&] { m_pin.EnterPin(strPin); });
}

void CModem::DeclinePin()
{
    if (m_eState != EState::ST_PIN || !m_pin.IsAwaitingUser() || m_bClosing)
        return;
    m_eState = EState::ST_JOB;
    Guarded([this] { m_pJob->OnPin(false); });
}

void CModem::Cancel()
{
    if (!m_bClosing && IsAwaitingSubmit())
        NotConfirmed(WSTR("canceled"));
    else
        End();
}

// Drops what is queued and the transfer in progress, then closes.
void CModem::End()
{
    m_channel.StopTimer();
    m_channel.CancelAll();
    Close();
}

void CModem::Close()
{
    m_bClosing = true;
    m_pin.Forget();
    m_channel.Close();
}

// --- What the phone says ---------------------------------------------------------

void CModem::OnRead(const std::string& strData)
{
    // A burst that was on its way when the request was cancelled or failed.
    if (m_bClosing || (!m_channel.IsFinalPending() && !IsAwaitingAnswer()))
        return;
    m_handshake.OnRead();
    Guarded([&] {
        const unsigned long nWrites = m_channel.GetWrites();
        Dispatch(m_channel.Reader().Take(strData));
        if (m_channel.GetWrites() == nWrites && m_eState == EState::ST_JOB && !m_bClosing &&
            !m_channel.IsFinalPending() && m_channel.Reader().TakePrompt())
            m_pJob->OnPrompt();
    });
    PassOnUnsolicited();
    if (!m_bClosing)
        m_channel.ReadAgainIf(IsAwaitingAnswer());
}

// Line by line, until a step writes again (what came before cannot answer
// it) or the request ends.
void CModem::Dispatch(const std::vector<std::string>& lines)
{
    const unsigned long nWrites = m_channel.GetWrites();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (m_channel.GetWrites() != nWrites || m_bClosing || m_eState == EState::ST_RETRY_WAIT || m_channel.IsIdle()) {
            TRACE_PAIR("Passed over %u lines that came before the last command\n", static_cast<unsigned>(lines.size() - i));
            return;
        }
        const std::string& strLine = lines[i];
        if (GetFinalResult(strLine) != EFinalResult::FINAL_NONE)
            m_channel.EndSecret();  // what comes after the answer to the PIN may be traced
        if (m_channel.IsFinalPending()) {
            if (GetFinalResult(strLine) != EFinalResult::FINAL_NONE)
                m_channel.ReleaseFinal();
        } else if (m_eState == EState::ST_AT || m_eState == EState::ST_ECHO_OFF) {
            OnHandshakeLine(strLine, i + 1 < lines.size() || m_channel.Reader().HasTail());
        } else if (m_eState == EState::ST_PIN) {
            if (m_pin.OnLine(strLine))
                ResumeAfterPin();
        } else if (m_eState == EState::ST_JOB) {
            OnJobLine(strLine);
        }
    }
}

void CModem::OnHandshakeLine(const std::string& strLine, bool bMore)
{
    if (!m_handshake.OnLine(strLine, bMore))
        return;
    if (m_eState == EState::ST_AT) {
        m_eState = EState::ST_ECHO_OFF;
        Command("ATE0");
    } else {
        m_eState = EState::ST_JOB;
        m_pJob->Start();
    }
}

// A refusal for the SIM's PIN, or for a SIM busy for a moment, is the
// session's; the rest is the job's. The prompt may have a line of the
// phone's own after it.
void CModem::OnJobLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    CPhoneError error;
    if (result == EFinalResult::FINAL_ERROR && FindPhoneError(strLine, error)) {
        if (IsPinRequired(error)) {
            m_channel.SetPduPending(false);
            m_eState = EState::ST_PIN;
            m_pin.Start(strLine);
            return;
        }
        if (IsSimNotReady(error) && m_pJob->GetRules().bRetryNotReady && RetryLater(strLine))
            return;
    }
    if (strLine == ">") {
        m_pJob->OnPrompt();
        return;
    }
    if (result == EFinalResult::FINAL_NONE && m_channel.CountLine() > m_pJob->GetRules().nMaxLines)
        throw CSmsException("a final result code", strLine);
    // A long answer (a full memory listed at 9600 baud) may take minutes: each
    // line of it shows that the phone is answering.
    if (result == EFinalResult::FINAL_NONE && !IsAwaitingSubmit())
        m_channel.ArmTimer(m_dwProgressTimeout);
    m_pJob->OnLine(strLine);
}

void CModem::ResumeAfterPin()
{
    m_eState = EState::ST_JOB;
    m_pJob->OnPin(true);
    m_bRepeating = true;
    m_pJob->RepeatStep();
    m_bRepeating = false;
}

bool CModem::IsAwaitingAnswer() const
{
    if (m_bClosing || m_channel.IsIdle())
        return false;
    return m_eState == EState::ST_AT || m_eState == EState::ST_ECHO_OFF || m_eState == EState::ST_JOB ||
           m_eState == EState::ST_PIN;
}

bool CModem::IsAwaitingSubmit() const
{
    return m_eState == EState::ST_JOB && m_pJob && m_pJob->GetRules().bAwaitingSubmit && !m_channel.IsFinalPending();
}

// --- For the link ----------------------------------------------------------------

void CModem::Command(const std::string& strCommand)
{
    if (!m_bRepeating)
        m_nRetries = 0;
    if (m_eState != EState::ST_PIN)  // the PIN's questions are no step of the job
        m_strLastCommand = strCommand;
    m_channel.Send(strCommand + "\r\n", strCommand, m_dwProgressTimeout, false);
}

bool CModem::RetryLater(const std::string& strRefusal)
{
    if (m_nRetries >= kMaxRetries)
        return false;
    const uint32_t dwDelay = kRetryDelays[m_nRetries++];
    TRACE_PAIR("Refused with '%s'; tried again in %u ms\n", strRefusal.c_str(), static_cast<unsigned>(dwDelay));
    m_eState = EState::ST_RETRY_WAIT;
    m_channel.ArmTimer(dwDelay);
    return true;
}

void CModem::NotConfirmed(const WString& strReason)
{
    TRACE_PAIR("The phone did not say whether the message was sent: %s\n", WideToUtf8(strReason).c_str());
    m_pJob->OnNotConfirmed(strReason);
    End();
}

// --- Failures ------------------------------------------------------------------------

void CModem::Guarded(const std::function<void()>& fnStep)
{
    try {
        fnStep();
    } catch (const CSmsException& e) {
        Fail(e);
    }
    m_bRepeating = false;
    if (m_bJobDone && !m_bClosing)
        StartNext();
}

// After a PDU went out, an answer that cannot be read (noise, a line without
// end) does not say that the phone kept the message: it may have gone.
void CModem::Fail(const CSmsException& e)
{
    TRACE_PAIR("Expected '%s', received '%s'\n", WideToUtf8(e.m_strExpected).c_str(),
               WideToUtf8(e.m_strReceived).c_str());
    if (IsAwaitingSubmit()) {
        NotConfirmed(WSTR("the phone's answer could not be read"));
        return;
    }
    TraceAssert(__FILE__, __LINE__, "!\"CSmsException\"");
    m_channel.StopTimer();
    m_bClosing = true;
    m_pJob->OnFailed(e);
    Close();
}

// --- CModemLink ----------------------------------------------------------------------

void CModemLink::Command(const std::string& strCommand)
{
    m_modem.Command(strCommand);
}

void CModemLink::Write(const std::string& strData, uint32_t dwTimeout)
{
    m_modem.m_channel.Send(strData, strData, dwTimeout, false);
}

void CModemLink::CommandSecret(const std::string& strCommand)
{
    m_modem.m_channel.Send(strCommand + "\r\n", strCommand, m_modem.m_dwProgressTimeout, true);
}

void CModemLink::RepeatCommand()
{
    m_modem.Command(m_modem.m_strLastCommand);
}

void CModemLink::Pause(uint32_t dwMilliseconds)
{
    m_modem.m_channel.Pause(dwMilliseconds);
}

uint32_t CModemLink::GetProgressTimeout() const
{
    return m_modem.m_dwProgressTimeout;
}

uint32_t CModemLink::GetSubmitTimeout() const
{
    return m_modem.m_dwSubmitTimeout;
}

void CModemLink::SetPduPending(bool bPending)
{
    m_modem.m_channel.SetPduPending(bPending);
}

void CModemLink::AwaitFinal()
{
    m_modem.m_channel.AwaitFinal(CModem::kFinalTimeout);
}

bool CModemLink::RetryLater(const std::string& strRefusal)
{
    return m_modem.RetryLater(strRefusal);
}

void CModemLink::BeginStep()
{
    m_modem.m_nRetries = 0;
}

void CModemLink::Done()
{
    m_modem.m_eState = CModem::EState::ST_DONE;
    m_modem.m_bJobDone = true;
}

void CModemLink::Abort()
{
    m_modem.End();
}

void CModemLink::NotConfirmed(const WString& strReason)
{
    m_modem.NotConfirmed(strReason);
}
