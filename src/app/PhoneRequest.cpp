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

// The phone's reason, or the failure's own when the reply does not say it.
WString DescribeRefusal(const CSmsException& error)
{
    return !error.m_strReason.empty() ? error.m_strReason
                                      : AnsiToWide(DescribePhoneError(WideToAnsi(error.m_strReceived)));
}

} // namespace

// Binds what one recipient's message tells to that recipient of the record.
class CPhoneRequest::CRecipientListener : public CSendListener {
public:
    CRecipientListener(CPhoneRequest& request, size_t nIndex, const CMsg& msg)
        : m_request(request), m_nIndex(nIndex), m_nParts(msg.GetTotalParts()),
          m_dwRef(msg.GetTotalParts() > 1 ? msg.m_dwRef : 0)
    {
    }

    bool OnSubmitting(unsigned nPart, unsigned nParts) override
    {
        return m_request.OnSubmitting(m_nIndex, nPart, nParts, m_dwRef);
    }
    bool OnPartAccepted(unsigned nPart, unsigned nMr) override
    {
        return m_request.OnPartAccepted(m_nIndex, nPart, nMr, nPart >= m_nParts);
    }
    void OnRetrying(unsigned nPart, const WString& strMeaning) override
    {
        m_request.OnRetrying(m_nIndex, nPart, m_nParts, strMeaning);
    }
    void OnRefused(unsigned /*nPart*/, const CSmsException& error) override { m_request.OnRefused(m_nIndex, error); }
    void OnNotConfirmed(unsigned /*nPart*/, const WString& strReason) override
    {
        m_request.OnNotConfirmed(m_nIndex, strReason);
    }

private:
    CPhoneRequest& m_request;
    const size_t m_nIndex;
    const unsigned m_nParts;
    const uint32_t m_dwRef;  // the concatenation reference; 0 for a message of one SMS
};

CPhoneRequest::CPhoneRequest(CPortOperations* pQueue, CPhoneRequestHost* pHost, CDialogueTimer* pTimer)
    : m_modem(pQueue, this, pTimer), m_pHost(pHost)
{
}

void CPhoneRequest::Reset(const WString& strPort, CModem::ERequest eRequest)
{
    m_strPort = strPort;
    m_eRequest = eRequest;
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

// The outbox keeps the send from before its first part: one that cannot be
// kept stops it, since nothing may go that a restart could not account for.
bool CPhoneRequest::StartMessages(const WString& strPort, const std::vector<CSendRecipient>& recipients,
                                  const WString& strText, bool bSave)
{
    Reset(strPort, bSave ? CModem::ERequest::REQ_SAVE : CModem::ERequest::REQ_SEND);
    m_bMessages = true;
    m_bFirstOfRun = true;
    std::string strError;
    if (!m_run.Start(recipients, strText, bSave, m_pOutbox, strError)) {
        TRACE_REPORT("Failed to send SMS\n");
        Status(DescribeFailure(WSTR("cannot write the outbox (") + Utf8ToWide(strError) + WSTR(")"), &recipients[0]));
        return false;
    }
    return SendNext();
}

void CPhoneRequest::DownloadPhonebook(const WString& strPort)
{
    Reset(strPort, CModem::ERequest::REQ_PHONEBOOK);
    Status(WSTR("Connecting..."));
    m_modem.RequestPhonebook(strPort);
}

void CPhoneRequest::TestPort(const WString& strPort)
{
    Reset(strPort, CModem::ERequest::REQ_DEVICE_TEST);
    Status(WSTR("Connecting..."));
    m_modem.RequestDeviceTest(strPort);
}

void CPhoneRequest::ReadMessages(const WString& strPort, bool bReportsOnly)
{
    Reset(strPort, CModem::ERequest::REQ_READ_MESSAGES);
    m_bReportsOnly = bReportsOnly;
    Status(WSTR("Connecting..."));
    m_modem.RequestReadMessages(strPort);
}

// Each recipient gets its message when its turn comes, on the port the
// previous one left open.
bool CPhoneRequest::SendNext()
{
    size_t nIndex = 0;
    if (!m_run.FindNext(nIndex))
        return false;
    Status(WSTR("Connecting..."));
    std::unique_ptr<CMsg> pMsg = m_run.MakeMessage(nIndex);
    auto pListener = std::make_unique<CRecipientListener>(*this, nIndex, *pMsg);
    if (m_run.IsSave()) {
        m_modem.RequestSave(std::move(pMsg), std::move(pListener), m_strPort);
    } else {
        pMsg->m_bStatusReport = m_bReportRequested;
        // The reports awaited are read once a run, before its first message.
        m_modem.SetReadReports(m_bReadPending && m_bFirstOfRun);
        m_modem.RequestSend(std::move(pMsg), std::move(pListener), m_strPort);
    }
    m_bFirstOfRun = false;
    m_pHost->OnMessageStarted(m_run.GetRecord(), nIndex);
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
        Status(WSTR("Canceled") + (m_bMessages ? m_run.GetRecord().DescribeProgress() : WString()));
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
        Status(WSTR("Error: ") + strReason + (m_bMessages ? m_run.GetRecord().DescribeProgress() : WString()));
        m_pHost->OnPortError(pError->m_dwError, strReason);
    }
    m_modem.OnOperationComplete(std::move(pOp), std::move(pError));
}

void CPhoneRequest::OnTimer(unsigned nId)
{
    if (nId == TIMER_DIALOGUE)
        m_modem.OnTimer();
}

void CPhoneRequest::Record(size_t nIndex, bool bNotConfirmed)
{
    if (!m_pRecorder)
        return;
    const CSendRecord& record = m_run.GetRecord();
    const bool bReports = !m_run.IsSave() && m_bReportRequested;
    for (const CStoreFailure& failure :
         m_pRecorder->RecordMessage(record.recipients[nIndex], record.strText, bReports, bNotConfirmed))
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

void CPhoneRequest::OnHandshaking()
{
    Status(WSTR("Handshaking..."));
}

void CPhoneRequest::OnRequestEnded()
{
    if (m_bMessages) {
        m_run.OnEnded();
        m_pHost->OnMessagesEnded(m_run.GetRecord());
    }
    m_pHost->OnRequestEnded();
}

// The request's text, then the phone's reason when it gave one: "Failed to
// download phonebook: SIM busy (+CME ERROR: 14)".
void CPhoneRequest::OnRequestFailed(const CSmsException& error)
{
    TRACE_REPORT("%s", GetFailureTrace(m_eRequest));
    const WString strReason = DescribeRefusal(error);
    Status(DescribeFailure(strReason, nullptr));
    m_pHost->OnPhoneRefused(error, strReason);
}

// A send names its recipient and, of several, how many went: "Failed to send
// message to 222: unknown error (+CMS ERROR: 500); sent to 1 of 3".
WString CPhoneRequest::DescribeFailure(const WString& strReason, const CSendRecipient* pRecipient) const
{
    WString strText = AnsiToWide(CModem::GetFailureText(m_eRequest));
    const bool bSend = m_eRequest == CModem::ERequest::REQ_SEND && pRecipient;
    if (bSend)
        strText += WSTR(" to ") + pRecipient->contact.GetDisplayName();
    if (!strReason.empty())
        strText += WSTR(": ") + strReason;
    return bSend ? strText + m_run.GetRecord().DescribeProgress() : strText;
}

void CPhoneRequest::OnDownloadingPhonebook()
{
    Status(WSTR("Downloading phonebook..."));
}

// The PDU goes right after: the outbox has it submitting first.
// "Device on COM5 is a(n) Acme; model: X1; SIM: ready; signal 3 of 5; ...":
// whether the phone can send, in the words of what it told.
void CPhoneRequest::OnModel(const WString& strModel)
{
    m_bResult = true;
    Status(WSTR("Device on ") + m_strPort + WSTR(" is a(n) ") + strModel +
           AnsiToWide(DescribeDevice(m_modem.GetDeviceInfo())));
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
    const bool bReportsOnly = m_bReportsOnly || m_eRequest != CModem::ERequest::REQ_READ_MESSAGES;
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

// --- What a recipient's message tells ------------------------------------------

// The PDU goes right after: the outbox has it submitting first, or it does not go.
bool CPhoneRequest::OnSubmitting(size_t nIndex, unsigned nPart, unsigned nParts, uint32_t dwRef)
{
    std::string strError;
    if (!m_run.OnSubmitting(nIndex, dwRef, strError)) {
        TRACE_REPORT("Failed to send SMS\n");
        Status(DescribeFailure(WSTR("cannot write the outbox (") + Utf8ToWide(strError) + WSTR(")"),
                               &m_run.GetRecord().recipients[nIndex]));
        return false;
    }
    if (m_run.IsSave())
        Status(WSTR("Uploading message to phone..."));
    else if (nParts == 1)
        Status(WSTR("Sending message to ") + GetDisplayName(nIndex) + WSTR("..."));
    else
        Status(WSTR("Sending message ") + AnsiToWide(std::to_string(nPart)) + WSTR(" to ") + GetDisplayName(nIndex) +
               WSTR("..."));
    return true;
}

// Only the last part finishes the recipient. The result keeps the port
// open, so it says whether the next recipient's request has really been
// made: a port left open with nothing to follow would never close.
bool CPhoneRequest::OnPartAccepted(size_t nIndex, unsigned /*nPart*/, unsigned nMr, bool bLast)
{
    m_run.OnPartAccepted(nIndex, nMr, bLast);
    if (!bLast)
        return false;
    if (m_run.IsSave())
        Status(WSTR("Message uploaded"), true);
    else
        Status(WSTR("Message sent to ") + GetDisplayName(nIndex), true);
    Record(nIndex, false);
    m_pHost->OnMessageDone(m_run.GetRecord(), nIndex);
    if (m_run.IsSave())
        TRACE_REPORT("Message uploaded\n");
    else
        TRACE_REPORT("Message sent\n");
    return SendNext();
}

// "Retrying message to 0123 (congestion)", or with the part's number for a
// message of several. The part cannot have left: the recipient waits again.
void CPhoneRequest::OnRetrying(size_t nIndex, unsigned nPart, unsigned nParts, const WString& strMeaning)
{
    m_run.OnRetrying(nIndex);
    if (m_run.IsSave())
        return;
    const WString strPart = nParts == 1 ? WString() : AnsiToWide(std::to_string(nPart)) + WSTR(" ");
    Status(WSTR("Retrying message ") + strPart + WSTR("to ") + GetDisplayName(nIndex) + WSTR(" (") + strMeaning +
           WSTR(")"));
}

void CPhoneRequest::OnRefused(size_t nIndex, const CSmsException& error)
{
    TRACE_REPORT("%s", GetFailureTrace(m_eRequest));
    const WString strReason = DescribeRefusal(error);
    m_run.OnFailed(nIndex, strReason);
    Status(DescribeFailure(strReason, &m_run.GetRecord().recipients[nIndex]));
    m_pHost->OnPhoneRefused(error, strReason);
}

// The run ends here: the message must not be offered again before the user
// has looked at the phone.
void CPhoneRequest::OnNotConfirmed(size_t nIndex, const WString& strReason)
{
    m_run.OnNotConfirmed(nIndex, strReason);
    TRACE_REPORT("Message not confirmed\n");
    Status(WSTR("Not confirmed: the phone did not say whether the message to ") + GetDisplayName(nIndex) +
           WSTR(" was sent; check the phone before sending it again"));
    Record(nIndex, true);
    m_pHost->OnMessageNotConfirmed(m_run.GetRecord(), nIndex);
}
