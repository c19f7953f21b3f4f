#include "phone/CommandChannel.h"

#include "base/Trace.h"

void CCommandChannel::Send(const std::string& strData, const std::string& strEcho, uint32_t dwTimeout, bool bSecret)
{
    if (m_bFinalPending) {
        m_deferred.push_back([=] { Send(strData, strEcho, dwTimeout, bSecret); });
        return;
    }
    ++m_nWrites;
    m_nLines = 0;
    m_bIdle = false;
    m_reader.SetWritten(strEcho);
    m_bSecretAnswer = bSecret;
    if (bSecret)
        m_pPort->WriteSecret(strData);
    else
        m_pPort->WriteRaw(strData);
    m_bReadPending = true;
    m_pPort->Read(kReadSize, bSecret);
    ArmTimer(dwTimeout);
}

void CCommandChannel::WhenWritable(const std::function<void()>& fnStep)
{
    if (m_bFinalPending)
        m_deferred.push_back(fnStep);
    else
        fnStep();
}

void CCommandChannel::AwaitFinal(uint32_t dwTimeout)
{
    m_bFinalPending = true;
    ArmTimer(dwTimeout);
}

void CCommandChannel::ReleaseFinal()
{
    m_bFinalPending = false;
    StopTimer();
    std::vector<std::function<void()>> deferred;
    deferred.swap(m_deferred);
    for (const std::function<void()>& fnStep : deferred)
        fnStep();
}

void CCommandChannel::GoOnWithoutFinal()
{
    TRACE_PAIR("No final result code after the acknowledgement\n");
    CancelAll();
    ReleaseFinal();
}

void CCommandChannel::Pause(uint32_t dwMilliseconds)
{
    m_bIdle = true;
    if (dwMilliseconds)
        ArmTimer(dwMilliseconds);
    else
        StopTimer();
}

// A read is outstanding only while an answer is awaited: a write queued
// behind it would wait for the phone to speak first.
void CCommandChannel::ReadAgainIf(bool bAwaiting)
{
    if (m_bReadPending || !(bAwaiting || m_bFinalPending))
        return;
    m_bReadPending = true;
    m_pPort->Read(kReadSize, m_bSecretAnswer);
}

void CCommandChannel::CancelAll()
{
    m_pPort->CancelAll();
    m_bReadPending = false;
}

void CCommandChannel::Close()
{
    m_bFinalPending = false;
    m_bSecretAnswer = false;
    m_deferred.clear();
    m_bIdle = false;
    // A phone still reading PDU text takes ESC as its end, and is left as it was found.
    if (m_bPduPending)
        m_pPort->WriteRaw("\x1B");
    m_bPduPending = false;
    m_reader.Clear();
    m_pPort->ClosePort();
}

// Also restarts a timer already running: progress gives the next answer
// the whole time-out.
void CCommandChannel::ArmTimer(uint32_t dwMilliseconds)
{
    m_bTimerArmed = true;
    m_pTimer->SetTimeout(dwMilliseconds);
}

void CCommandChannel::StopTimer()
{
    if (!m_bTimerArmed)
        return;
    m_bTimerArmed = false;
    m_pTimer->KillTimeout();
}
