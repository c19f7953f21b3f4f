#include "app/PhoneRequest.h"

#include "base/Trace.h"
#include "phone/PhoneError.h"
#include "app/SendInput.h"

namespace {

// The reported trace of a request the phone refused, by request kind.
const char* GetFailureTrace(CModem::ERequest eRequest)
{
    switch (eRequest) {
    case CModem::ERequest::REQ_PHONEBOOK: return "Failed to download phonebook\n";
    case CModem::ERequest::REQ_SAVE: return "Failed to save message\n";
    case CModem::ERequest::REQ_DEVICE_TEST: return "Failed to get model\n";
    case CModem::ERequest::REQ_READ_MESSAGES: return "Failed to read messages\n";
    default: return "Failed to send SMS\n";
    }
}

} // namespace

CPhoneRequest::CPhoneRequest(CPortOperations* pQueue, CPhoneRequestHost* pHost) : m_modem(pQueue, this), m_pHost(pHost)
{
}

void CPhoneRequest::Reset(const WString& strPort)
{
    m_strPort = strPort;
    m_recipients.clear();
    m_nNext = 0;
    m_nDone = 0;
    m_nNotConfirmed = 0;
    m_phonebook.clear();
    m_bResult = false;
    m_nNewMessages = 0;
    m_strStoreError.clear();
    // The messages of earlier runs are no longer referred to by the driver,
    // which only ever holds the current one.
    if (m_messages.size() > 1)
        m_messages.erase(m_messages.begin(), m_messages.end() - 1);
}

bool CPhoneRequest::Send(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText)
{
    return StartMessages(strPort, recipients, strText, false);
}

bool CPhoneRequest::Save(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText)
{
    return StartMessages(strPort, recipients, strText, true);
}

bool CPhoneRequest::StartMessages(const WString& strPort, const std::vector<CContact>& recipients,
                                  const WString& strText, bool bSave)
{
    Reset(strPort);
    m_recipients = recipients;
    m_strText = strText;
    m_bSave = bSave;
    return SendNext();
}

void CPhoneRequest::DownloadPhonebook(const WString& strPort)
{
    Reset(strPort);
    Status(WSTR("Connecting..."));
    m_modem.RequestPhonebook(strPort);
}

void CPhoneRequest::TestPort(const WString& strPort)
{
    Reset(strPort);
    Status(WSTR("Connecting..."));
    m_modem.RequestDeviceTest(strPort);
}

void CPhoneRequest::ReadMessages(const WString& strPort, bool bReportsOnly)
{
    Reset(strPort);
    m_bReportsOnly = bReportsOnly;
    Status(WSTR("Connecting..."));
    m_modem.RequestReadMessages(strPort);
}

// Each recipient gets its message when its turn comes, on the port the
// previous one left open.
bool CPhoneRequest::SendNext()
{
    if (m_nNext >= m_recipients.size())
        return false;
    WString strText = m_strText;
    m_pHost->GetMessageText(strText);
    std::string strError;
    if (!CheckText(strText, strError)) {
        m_nNext = m_recipients.size();
        m_pHost->OnTextRefused(strError);
        return false;
    }
    const CContact& recipient = m_recipients[m_nNext++];
    Status(WSTR("Connecting..."));
    // The driver holds only the message it is sending: the one before it is
    // finished with once this one starts.
    if (m_messages.size() > 1)
        m_messages.erase(m_messages.begin(), m_messages.end() - 1);
    m_messages.push_back(std::make_unique<CMsg>(strText, recipient.m_strName, recipient.m_strNumber));
    CMsg* pMsg = m_messages.back().get();
    m_partRefs.clear();
    if (m_bSave) {
        m_modem.RequestSave(pMsg, m_strPort);
    } else {
        pMsg->m_bStatusReport = m_bReportRequested;
        // The reports awaited are read once a run, before its first message.
        m_modem.SetReadReports(m_bReadPending && m_nNext == 1);
        m_modem.RequestSend(pMsg, m_strPort);
    }
    m_pHost->OnMessageStarted(*pMsg);
    return true;
}

// A cancel after a PDU went out leaves its message not confirmed, which
// the status line says instead.
void CPhoneRequest::Cancel()
{
    const size_t nNotConfirmed = m_nNotConfirmed;
    m_modem.Cancel();
    if (m_nNotConfirmed == nNotConfirmed)
        Status(WSTR("Canceled"));
}

// A port error after the request has ended (the ESC or the close of a phone
// that is gone) changes nothing the user must know: the status says how the
// request ended.
void CPhoneRequest::OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
{
    if (pError && m_modem.IsEnding()) {
        TRACE_PAIR("After the end: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
    } else if (pError) {
        TRACE_REPORT("CSerialPortException: %s\n", WideToAnsi(pError->GetErrorText()).c_str());
        const WString strReason = pError->GetReason(pOp && pOp->m_eKind == EOpKind::OP_OPEN, m_strPort);
        Status(WSTR("Error: ") + strReason);
        m_pHost->OnPortError(pError->m_dwError, strReason);
    }
    m_modem.OnOperationComplete(std::move(pOp), std::move(pError));
}

void CPhoneRequest::OnTimer(unsigned nId)
{
    if (nId == TIMER_DIALOGUE)
        m_modem.OnTimer();
}

// --- CModemSink ------------------------------------------------------------------

void CPhoneRequest::OnPhonebookEntry(const WString& strName, const WString& strNumber)
{
    m_phonebook.emplace_back(strName, strNumber);
}

// The entries are handed over once the whole phone book is in, so a failed
// or cancelled download leaves the host's list as it was.
void CPhoneRequest::OnPhonebookDownloaded()
{
    m_bResult = true;
    m_pHost->OnPhonebook(m_phonebook);
    Status(WSTR("Phonebook downloaded"), true);
}

bool CPhoneRequest::OnMessageSent()
{
    m_partRefs.push_back(m_modem.GetLastReference());
    return OnMessageDone();
}

bool CPhoneRequest::OnMessageUploaded()
{
    return OnMessageDone();
}

// After every acknowledged part; only the last one counts. The result keeps
// the port open, so it says whether the next recipient's request has really
// been made: a port left open with nothing to follow would never close.
bool CPhoneRequest::OnMessageDone()
{
    const CMsg& msg = *m_messages.back();
    if (!msg.IsComplete())
        return false;
    ++m_nDone;
    if (m_bSave)
        Status(WSTR("Message uploaded"), true);
    else
        Status(WSTR("Message sent to ") + msg.GetDisplayName(), true);
    m_pHost->OnMessageDone(msg);
    if (m_bSave)
        TRACE_REPORT("Message uploaded\n");
    else
        TRACE_REPORT("Message sent\n");
    return SendNext();
}

void CPhoneRequest::OnHandshaking()
{
    Status(WSTR("Handshaking..."));
}

void CPhoneRequest::OnRequestEnded()
{
    m_pHost->OnRequestEnded();
}

// The request's text, then the phone's reason when it gave one: "Failed to
// send message: network out of order (+CMS ERROR: 38)".
void CPhoneRequest::OnRequestFailed()
{
    const CModem::ERequest eRequest = m_modem.GetRequest();
    TRACE_REPORT("%s", GetFailureTrace(eRequest));
    const CSmsException& failure = m_modem.GetLastFailure();
    const WString strReason = !failure.m_strReason.empty()
                                  ? failure.m_strReason
                                  : AnsiToWide(DescribePhoneError(WideToAnsi(failure.m_strReceived)));
    const WString strText = AnsiToWide(CModem::GetFailureText(eRequest));
    Status(strReason.empty() ? strText : strText + WSTR(": ") + strReason);
    m_pHost->OnPhoneRefused(failure, strReason);
}

void CPhoneRequest::OnDownloadingPhonebook()
{
    Status(WSTR("Downloading phonebook..."));
}

void CPhoneRequest::OnSendingPart(uint8_t btPart)
{
    Status(WSTR("Sending message ") + AnsiToWide(std::to_string(btPart)) + WSTR(" to ") +
           m_messages.back()->GetDisplayName() + WSTR("..."));
}

void CPhoneRequest::OnSending()
{
    Status(WSTR("Sending message to ") + m_messages.back()->GetDisplayName() + WSTR("..."));
}

void CPhoneRequest::OnUploadingMessage()
{
    Status(WSTR("Uploading message to phone..."));
}

// "Device on COM5 is a(n) Acme; model: X1; SIM: ready; signal 3 of 5; ...":
// whether the phone can send, in the words of what it told.
void CPhoneRequest::OnModel(const WString& strModel)
{
    m_bResult = true;
    Status(WSTR("Device on ") + m_strPort + WSTR(" is a(n) ") + strModel +
           AnsiToWide(DescribeDevice(m_modem.GetDeviceInfo())));
}

// "Retrying message to 0123 (congestion)", or with the part's number for a
// message of several.
void CPhoneRequest::OnRetrying(const WString& strMeaning)
{
    if (m_messages.empty())
        return;
    const CMsg& msg = *m_messages.back();
    const WString strPart =
        msg.GetTotalParts() == 1 ? WString() : AnsiToWide(std::to_string(msg.m_btCurSms)) + WSTR(" ");
    Status(WSTR("Retrying message ") + strPart + WSTR("to ") + msg.GetDisplayName() + WSTR(" (") + strMeaning +
           WSTR(")"));
}

void CPhoneRequest::OnTimedOut()
{
    if (m_modem.IsAwaitingHandshake()) {
        Status(WSTR("Error: timed out waiting for data"));
        m_pHost->OnNoAnswer();
    } else {
        m_pHost->OnNoProgress();
    }
}

// The run ends here: the message must not be offered again before the user
// has looked at the phone.
void CPhoneRequest::OnNotConfirmed()
{
    if (m_messages.empty())
        return;
    const CMsg& msg = *m_messages.back();
    ++m_nNotConfirmed;
    m_nNext = m_recipients.size();
    TRACE_REPORT("Message not confirmed\n");
    Status(WSTR("Not confirmed: the phone did not say whether the message to ") + msg.GetDisplayName() +
           WSTR(" was sent; check the phone before sending it again"));
    m_pHost->OnMessageNotConfirmed(msg);
}

void CPhoneRequest::OnPinRequired(bool bRefused)
{
    Status(bRefused ? WSTR("The phone refused the PIN") : WSTR("The SIM asks for its PIN"));
    if (!m_pHost->OnPinRequired(bRefused))
        m_modem.DeclinePin();
}

void CPhoneRequest::SetTimeout(uint32_t dwMilliseconds)
{
    m_pHost->SetTimer(TIMER_DIALOGUE, dwMilliseconds);
}

void CPhoneRequest::KillTimeout()
{
    m_pHost->KillTimer(TIMER_DIALOGUE);
}

void CPhoneRequest::OnReadingMessages()
{
    Status(WSTR("Reading messages from phone..."));
}

std::vector<unsigned> CPhoneRequest::OnMessagesListed(const std::vector<CListedPdu>& pdus)
{
    const bool bReportsOnly = m_bReportsOnly || m_modem.GetRequest() != CModem::ERequest::REQ_READ_MESSAGES;
    const CListingResult result = m_pHost->OnMessagesListed(pdus, bReportsOnly);
    m_nNewMessages += result.nNew;
    if (!result.strError.empty()) {
        TRACE_REPORT("Could not store what the phone listed\n");
        TRACE_PAIR("Not stored: %s\n", result.strError.c_str());
        if (m_strStoreError.empty())
            m_strStoreError = result.strError;
    }
    return result.deletes;
}

// "2 new messages", or why they could not be stored (nothing was deleted then).
void CPhoneRequest::OnMessagesRead()
{
    m_bResult = true;
    if (!m_strStoreError.empty()) {
        Status(WSTR("Could not store the messages: ") + Utf8ToWide(m_strStoreError));
    } else {
        const std::string strCount = std::to_string(m_nNewMessages);
        Status(AnsiToWide(strCount + (m_nNewMessages == 1 ? " new message" : " new messages")), true);
    }
    m_pHost->OnMessagesRead(m_nNewMessages);
}

void CPhoneRequest::OnReportsArrived(const std::vector<CListedPdu>& reports)
{
    const std::string strError = m_pHost->OnReportsArrived(reports);
    if (!strError.empty())
        TRACE_PAIR("Not stored: %s\n", strError.c_str());
}
