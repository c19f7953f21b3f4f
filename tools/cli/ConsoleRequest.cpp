#include "cli/ConsoleRequest.h"

#include <cstdio>

#include "cli/Cli.h"

namespace {

// A text on one line: line breaks and tabs of a phone's reply or a name
// become visible escapes or blanks.
std::string OneLine(const std::string& str, bool bEscape)
{
    std::string out;
    for (char ch : str) {
        if (ch == '\r' || ch == '\n' || ch == '\t')
            out += bEscape ? (ch == '\r' ? "\\r" : ch == '\n' ? "\\n" : "\\t") : " ";
        else
            out += ch;
    }
    return out;
}

std::string Seconds(uint32_t dwMilliseconds)
{
    return std::to_string((dwMilliseconds + 999) / 1000) + " s";
}

} // namespace

CConsoleRequest::CConsoleRequest(CSerialQueue* pQueue, CConsoleHost* pHost, const WString& strPort,
                                 uint32_t dwTimeoutMs, uint32_t dwOpenPauseMs)
    : m_modem(pQueue, this), m_pHost(pHost), m_strPort(strPort), m_dwTimeoutMs(dwTimeoutMs),
      m_dwOpenPauseMs(dwOpenPauseMs)
{
}

void CConsoleRequest::Send(const std::vector<CContact>& recipients, const WString& strText)
{
    StartMessages(recipients, strText, false);
}

void CConsoleRequest::Save(const std::vector<CContact>& recipients, const WString& strText)
{
    StartMessages(recipients, strText, true);
}

void CConsoleRequest::StartMessages(const std::vector<CContact>& recipients, const WString& strText, bool bSave)
{
    m_recipients = recipients;
    m_strText = strText;
    m_bSave = bSave;
    RestartDeadline(m_dwOpenPauseMs);
    if (!SendNext())
        Finish();  // nobody to send to: nothing was asked, nothing fails
}

void CConsoleRequest::DownloadPhonebook()
{
    Status("Connecting...");
    RestartDeadline(m_dwOpenPauseMs);
    m_modem.RequestPhonebook(m_strPort);
}

void CConsoleRequest::TestPort()
{
    Status("Connecting...");
    RestartDeadline(m_dwOpenPauseMs);
    m_modem.RequestDeviceTest(m_strPort);
}

// As the window's Send: each recipient gets its message when its turn comes,
// on the port the previous one left open.
bool CConsoleRequest::SendNext()
{
    if (m_nNext >= m_recipients.size())
        return false;
    const CContact& recipient = m_recipients[m_nNext++];
    Status("Connecting...");
    m_messages.emplace_back(new CMsg(m_strText, recipient.m_strName, recipient.m_strNumber));
    if (m_bSave)
        m_modem.RequestSave(m_messages.back().get(), m_strPort);
    else
        m_modem.RequestSend(m_messages.back().get(), m_strPort);
    return true;
}

void CConsoleRequest::OnOperationComplete(CSerialOp* pOp, CSerialPortException* pError)
{
    if (pError) {
        // The window shows "Error" and traces the system's text.
        Status("Error");
        m_pHost->PrintError(WideToUtf8(m_strPort) + ": " + TrimWhite(m_pHost->GetErrorText(pError->m_dwError)) +
                            " (error " + std::to_string(pError->m_dwError) + ")");
        Note(kExitPort);
    } else if (pOp && !m_bCanceled &&
               (pOp->m_nKind == OP_OPEN || (pOp->m_nKind == OP_READ && !pOp->GetText().empty()))) {
        RestartDeadline();
    }
    m_modem.OnOperationComplete(pOp, pError);
}

void CConsoleRequest::OnTimer(unsigned nId)
{
    if (nId == TIMER_HANDSHAKE)
        m_modem.OnHandshakeTimer();
    else if (nId == TIMER_DEADLINE)
        OnDeadline();
}

// The phone has gone silent: cancel as the window's Cancel button does. The
// close announcement ends the request; a port that does not even close in
// kCloseGraceMs is given up.
void CConsoleRequest::OnDeadline()
{
    if (m_bFinished)
        return;
    if (m_bCanceled) {
        m_pHost->PrintError("the port did not close within " + Seconds(kCloseGraceMs) + "; giving up");
        Finish();
        return;
    }
    m_bCanceled = true;
    Note(kExitTimeout);
    m_modem.Cancel();
    Status("Canceled");
    m_pHost->PrintError("timed out: no answer from the phone for " + Seconds(m_dwTimeoutMs) +
                        "; the request was cancelled");
    m_pHost->SetTimer(TIMER_DEADLINE, kCloseGraceMs);
}

void CConsoleRequest::RestartDeadline(uint32_t dwExtraMs)
{
    m_pHost->SetTimer(TIMER_DEADLINE, m_dwTimeoutMs + dwExtraMs);
}

int CConsoleRequest::GetExitCode() const
{
    if (m_nFailure != kExitOk)
        return m_nFailure;
    const bool bMessages = !m_recipients.empty();
    if (bMessages ? m_nDone == m_recipients.size() : m_bSucceeded)
        return kExitOk;
    return kExitFailed;  // ended without a result, which only a failure does
}

void CConsoleRequest::Status(const std::string& strText)
{
    m_pHost->PrintLine(strText);
}

void CConsoleRequest::Note(int nExitCode)
{
    if (m_nFailure == kExitOk)
        m_nFailure = nExitCode;
}

void CConsoleRequest::Finish()
{
    if (m_bFinished)
        return;
    m_bFinished = true;
    m_pHost->KillTimer(TIMER_DEADLINE);
    m_pHost->KillTimer(TIMER_HANDSHAKE);
}

// --- CModemSink ------------------------------------------------------------------

void CConsoleRequest::OnPhonebookEntry(const WString& strName, const WString& strNumber)
{
    m_phonebook.emplace_back(strName, strNumber);
}

// Entries are printed once the whole phone book is in, so a failed download
// prints none, as the window's list stays empty then.
void CConsoleRequest::OnPhonebookDownloaded()
{
    for (const CContact& contact : m_phonebook)
        m_pHost->PrintLine(OneLine(WideToUtf8(contact.m_strName), false) + "\t" +
                           OneLine(WideToUtf8(contact.m_strNumber), false));
    m_bSucceeded = true;
    Status("Phonebook downloaded");
}

bool CConsoleRequest::OnMessageSent()
{
    return OnMessageDone("Message sent to ");
}

bool CConsoleRequest::OnMessageUploaded()
{
    return OnMessageDone("Message uploaded");
}

// After every acknowledged part; only the last one counts. True keeps the port
// open for the next recipient, whose request is made here.
bool CConsoleRequest::OnMessageDone(const char* pszStatus)
{
    const CMsg& msg = *m_messages.back();
    if (!msg.IsComplete())
        return false;
    ++m_nDone;
    Status(m_bSave ? std::string(pszStatus) : pszStatus + WideToUtf8(msg.GetDisplayName()));
    return SendNext();
}

void CConsoleRequest::OnHandshaking()
{
    Status("Handshaking...");
}

void CConsoleRequest::OnRequestEnded()
{
    Finish();
}

void CConsoleRequest::OnRequestFailed()
{
    Status(CModem::GetFailureText(m_modem.GetRequest()));
    const CSmsException& e = m_modem.GetLastFailure();
    m_pHost->PrintError("the phone answered '" + OneLine(WideToUtf8(e.m_strReceived), true) + "' instead of '" +
                        OneLine(WideToUtf8(e.m_strExpected), true) + "'");
    Note(kExitFailed);
}

void CConsoleRequest::OnDownloadingPhonebook()
{
    Status("Downloading phonebook...");
}

void CConsoleRequest::OnSendingPart(uint8_t btPart)
{
    Status("Sending message " + std::to_string(btPart) + " to " + WideToUtf8(m_messages.back()->GetDisplayName()) +
           "...");
}

void CConsoleRequest::OnSending()
{
    Status("Sending message to " + WideToUtf8(m_messages.back()->GetDisplayName()) + "...");
}

void CConsoleRequest::OnUploadingMessage()
{
    Status("Uploading message to phone...");
}

void CConsoleRequest::OnModel(const WString& strModel)
{
    m_bSucceeded = true;
    Status("Device on " + WideToUtf8(m_strPort) + " is a(n) " + WideToUtf8(strModel));
}

void CConsoleRequest::OnTimedOut()
{
    Status("Error: timed out waiting for data");
    m_pHost->PrintError("no answer to AT on " + WideToUtf8(m_strPort) + " within " +
                        Seconds(CModem::kHandshakeTimeout) + ": is the phone connected and switched on?");
    Note(kExitPort);
}

void CConsoleRequest::SetTimeout(uint32_t dwMilliseconds)
{
    m_pHost->SetTimer(TIMER_HANDSHAKE, dwMilliseconds);
}

void CConsoleRequest::KillTimeout()
{
    m_pHost->KillTimer(TIMER_HANDSHAKE);
}
