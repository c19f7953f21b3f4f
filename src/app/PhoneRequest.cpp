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

CPhoneRequest::CPhoneRequest(CPortOperations* pQueue, CPhoneRequestHost* pHost, CDialogueTimer* pTimer)
    : m_modem(pQueue, this, pTimer), m_pHost(pHost)
{
}

void CPhoneRequest::Reset(const WString& strPort)
{
    m_strPort = strPort;
    m_bMessages = false;
    m_phonebook.clear();
    m_bResult = false;
    m_bReportsOnly = false;
    m_nNewMessages = 0;
    m_strStoreError.clear();
}

bool CPhoneRequest::Send(const WString& strPort, const std::vector<CSendRecipient>& recipients, const WString& strText)
{
    return StartMessages(strPort, recipients, strText, false);
}

bool CPhoneRequest::Save(const WString& strPort, const std::vector<CSendRecipient>& recipients, const WString& strText)
{
    return StartMessages(strPort, recipients, strText, true);
}

namespace {

std::vector<CSendRecipient> AsTyped(const std::vector<CContact>& contacts)
{
    std::vector<CSendRecipient> list;
    for (const CContact& contact : contacts) {
        CSendRecipient recipient;
        recipient.strTyped = contact.m_strName.empty() ? contact.m_strNumber : contact.m_strName;
        recipient.contact = contact;
        list.push_back(recipient);
    }
    return list;
}

} // namespace

bool CPhoneRequest::Send(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText)
{
    return StartMessages(strPort, AsTyped(recipients), strText, false);
}

bool CPhoneRequest::Save(const WString& strPort, const std::vector<CContact>& recipients, const WString& strText)
{
    return StartMessages(strPort, AsTyped(recipients), strText, true);
}

// The outbox keeps the send from before its first part; one that cannot be
// kept does not stop it.
bool CPhoneRequest::StartMessages(const WString& strPort, const std::vector<CSendRecipient>& recipients,
                                  const WString& strText, bool bSave)
{
    Reset(strPort);
    m_bMessages = true;
    std::string strError;
    m_run.Start(recipients, strText, bSave, m_pOutbox, strError);
    if (!strError.empty())
        m_pHost->OnStoreProblem(WSTR("Could not keep the outbox: ") + Utf8ToWide(strError));
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
    if (!m_run.HasNext())
        return false;
    Status(WSTR("Connecting..."));
    if (m_run.GetCount() > 1)
        m_pHost->OnProgress(m_run.GetStarted(), m_run.GetCount());
    CMsg& msg = m_run.StartNext();
    if (m_run.IsSave()) {
        m_modem.RequestSave(&msg, m_strPort);
    } else {
        msg.m_bStatusReport = m_bReportRequested;
        // The reports awaited are read once a run, before its first message.
        m_modem.SetReadReports(m_bReadPending && m_run.GetStarted() == 1);
        m_modem.RequestSend(&msg, m_strPort);
    }
    m_pHost->OnMessageStarted(msg);
    return true;
}

// A cancel after a PDU went out leaves its message not confirmed, which
// the status line says instead.
void CPhoneRequest::Cancel()
{
    const size_t nNotConfirmed = GetMessagesNotConfirmed();
    m_modem.Cancel();
    m_run.Stop();
    if (GetMessagesNotConfirmed() == nNotConfirmed)
        Status(WSTR("Canceled") + (m_bMessages ? m_run.DescribeProgress() : WString()));
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
        m_run.Stop();
        Status(WSTR("Error: ") + strReason + (m_bMessages ? m_run.DescribeProgress() : WString()));
        m_pHost->OnPortError(pError->m_dwError, strReason);
    }
    m_modem.OnOperationComplete(std::move(pOp), std::move(pError));
}

void CPhoneRequest::OnTimer(unsigned nId)
{
    if (nId == TIMER_DIALOGUE)
        m_modem.OnTimer();
}

void CPhoneRequest::Record(const CMsg& msg, bool bNotConfirmed)
{
    if (!m_pRecorder)
        return;
    for (const CStoreFailure& failure : m_pRecorder->RecordMessage(msg, m_run.GetPartReferences(), bNotConfirmed))
        m_pHost->OnStoreFailure(failure.strWhat, failure.dwError);
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
    m_run.OnPartAcknowledged(m_modem.GetLastReference());
    return OnMessageDone();
}

bool CPhoneRequest::OnMessageUploaded()
{
    m_run.OnPartAcknowledged(0);
    return OnMessageDone();
}

// After every acknowledged part; only the last one counts. The result keeps
// the port open, so it says whether the next recipient's request has really
// been made: a port left open with nothing to follow would never close.
bool CPhoneRequest::OnMessageDone()
{
    const CMsg& msg = *m_run.GetCurrent();
    if (!msg.IsComplete())
        return false;
    m_run.OnSent();
    if (m_run.IsSave())
        Status(WSTR("Message uploaded"), true);
    else
        Status(WSTR("Message sent to ") + msg.GetDisplayName(), true);
    Record(msg, false);
    m_pHost->OnMessageDone(msg);
    if (m_run.IsSave())
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
    if (m_bMessages)
        m_run.OnEnded();
    m_pHost->OnRequestEnded();
}

// The request's text, then the phone's reason when it gave one: "Failed to
// download phonebook: SIM busy (+CME ERROR: 14)". A send names its recipient
// and, of several, how many went: "Failed to send message to 222: unknown
// error (+CMS ERROR: 500); sent to 1 of 3".
void CPhoneRequest::OnRequestFailed()
{
    const CModem::ERequest eRequest = m_modem.GetRequest();
    TRACE_REPORT("%s", GetFailureTrace(eRequest));
    const CSmsException& failure = m_modem.GetLastFailure();
    const WString strReason = !failure.m_strReason.empty()
                                  ? failure.m_strReason
                                  : AnsiToWide(DescribePhoneError(WideToAnsi(failure.m_strReceived)));
    if (m_bMessages)
        m_run.OnFailed(strReason);
    Status(DescribeFailure(strReason));
    m_pHost->OnPhoneRefused(failure, strReason);
}

WString CPhoneRequest::DescribeFailure(const WString& strReason) const
{
    WString strText = AnsiToWide(CModem::GetFailureText(m_modem.GetRequest()));
    const CMsg* pMsg = m_run.GetCurrent();
    const bool bSend = m_bMessages && !m_run.IsSave() && pMsg;
    if (bSend)
        strText += WSTR(" to ") + pMsg->GetDisplayName();
    if (!strReason.empty())
        strText += WSTR(": ") + strReason;
    return bSend ? strText + m_run.DescribeProgress() : strText;
}

void CPhoneRequest::OnDownloadingPhonebook()
{
    Status(WSTR("Downloading phonebook..."));
}

// The PDU goes right after: the outbox has it submitting first.
void CPhoneRequest::OnSendingPart(uint8_t btPart)
{
    m_run.OnSubmitting();
    Status(WSTR("Sending message ") + AnsiToWide(std::to_string(btPart)) + WSTR(" to ") +
           m_run.GetCurrent()->GetDisplayName() + WSTR("...") + m_run.DescribePosition());
}

void CPhoneRequest::OnSending()
{
    m_run.OnSubmitting();
    Status(WSTR("Sending message to ") + m_run.GetCurrent()->GetDisplayName() + WSTR("...") + m_run.DescribePosition());
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
    if (!m_run.GetCurrent())
        return;
    const CMsg& msg = *m_run.GetCurrent();
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
    if (!m_run.GetCurrent())
        return;
    const CMsg& msg = *m_run.GetCurrent();
    m_run.OnNotConfirmed();
    TRACE_REPORT("Message not confirmed\n");
    Status(WSTR("Not confirmed: the phone did not say whether the message to ") + msg.GetDisplayName() +
           WSTR(" was sent; check the phone before sending it again"));
    Record(msg, true);
    m_pHost->OnMessageNotConfirmed(msg);
}

void CPhoneRequest::OnPinRequired(bool bRefused)
{
    Status(bRefused ? WSTR("The phone refused the PIN") : WSTR("The SIM asks for its PIN"));
    if (!m_pHost->OnPinRequired(bRefused))
        m_modem.DeclinePin();
}

void CPhoneRequest::OnReadingMessages()
{
    Status(WSTR("Reading messages from phone..."));
}

std::vector<unsigned> CPhoneRequest::OnMessagesListed(const std::vector<CListedPdu>& pdus)
{
    const bool bReportsOnly = m_bReportsOnly || m_modem.GetRequest() != CModem::ERequest::REQ_READ_MESSAGES;
    if (!m_pRecorder)
        return std::vector<unsigned>();
    const CListingResult result = m_pRecorder->TakeListing(pdus, bReportsOnly);
    m_nNewMessages += result.nNew;
    if (m_pRecorder->GetInbox() && !m_pRecorder->GetInbox()->GetLoadNote().empty())
        m_pHost->OnInboxNote(m_pRecorder->GetInbox()->GetLoadNote());
    if (!result.strError.empty()) {
        TRACE_REPORT("Could not store what the phone listed\n");
        TRACE_PAIR("Not stored: %s\n", result.strError.c_str());
        if (m_strStoreError.empty())
            m_strStoreError = result.strError;
        m_pHost->OnListingNotStored(result.strError);
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
    const std::string strError = m_pRecorder ? m_pRecorder->TakeReports(reports) : std::string();
    if (!strError.empty())
        TRACE_PAIR("Not stored: %s\n", strError.c_str());
}
