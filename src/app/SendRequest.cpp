#include "app/SendRequest.h"

#include "base/Trace.h"
#include "phone/SendJob.h"
#include "phone/SendListener.h"

namespace {

const char kSendFailure[] = "Failed to send message";
const char kSendTrace[] = "Failed to send SMS\n";
const char kSaveFailure[] = "Failed to save message";
const char kSaveTrace[] = "Failed to save message\n";

} // namespace

// Binds what one recipient's message tells to that recipient of the record.
class CSendRequest::CRecipientListener : public CSendListener {
public:
    CRecipientListener(CSendRequest& request, size_t nIndex, const CMsg& msg)
        : m_request(request), m_nIndex(nIndex), m_nParts(msg.GetTotalParts()),
          m_dwRef(msg.GetTotalParts() > 1 ? msg.m_dwRef : 0)
    {
    }

    bool OnSubmitting(unsigned nPart, unsigned nParts) override
    {
        return m_request.OnSubmitting(m_nIndex, nPart, nParts, m_dwRef);
    }
    void OnPartAccepted(unsigned nPart, unsigned nMr) override
    {
        m_request.OnPartAccepted(m_nIndex, nMr, nPart >= m_nParts);
    }
    void OnRetrying(unsigned nPart, const WString& strMeaning) override
    {
        m_request.OnRetrying(m_nIndex, nPart, m_nParts, strMeaning);
    }
    void OnFailed(const CSmsException& error) override { m_request.OnRefused(m_nIndex, error); }
    void OnNotConfirmed(unsigned /*nPart*/, const WString& strReason) override
    {
        m_request.OnNotConfirmed(m_nIndex, strReason);
    }
    std::vector<unsigned> OnListed(const std::vector<CListedPdu>& pdus) override
    {
        return m_request.m_listing.Take(pdus);
    }

private:
    CSendRequest& m_request;
    const size_t m_nIndex;
    const unsigned m_nParts;
    const uint32_t m_dwRef;  // the concatenation reference; 0 for a message of one SMS
};

CSendRequest::CSendRequest(CSendHost& host, const std::vector<CSendRecipient>& recipients, const WString& strText,
                           const CSendOptions& options, COutbox* pOutbox, CRequestRecorder* pRecorder)
    : m_host(host),
      m_recipients(recipients),
      m_strText(strText),
      m_options(options),
      m_pOutbox(pOutbox),
      m_pRecorder(pRecorder),
      m_listing(pRecorder, host, true)
{
}

// The outbox keeps the send from before its first part: one that cannot be
// kept stops it, since nothing may go that a restart could not account for.
bool CSendRequest::Begin()
{
    m_bStarted = true;
    std::string strError;
    if (m_run.Start(m_recipients, m_strText, m_options.bSave, m_pOutbox, strError))
        return true;
    if (!m_recipients.empty())
        FailBeforeThePdu(0, strError);
    return false;
}

// Each recipient gets its message when its turn comes, on the port the
// previous one left open; the reports awaited are read once a run, before
// its first message.
std::unique_ptr<CModemJob> CSendRequest::NextJob(CModemLink& link)
{
    const bool bFirst = !m_bStarted;
    if (bFirst && !Begin())
        return nullptr;
    size_t nIndex = 0;
    if (!m_run.FindNext(nIndex))
        return nullptr;
    std::unique_ptr<CMsg> pMsg = m_run.MakeMessage(nIndex);
    pMsg->m_bStatusReport = !m_options.bSave && m_options.bReports;
    auto pListener = std::make_unique<CRecipientListener>(*this, nIndex, *pMsg);
    const bool bListFirst = !m_options.bSave && m_options.bReadPending && bFirst;
    auto pJob = std::make_unique<CSendJob>(link, std::move(pMsg), std::move(pListener), m_options.bSave, bListFirst);
    m_host.OnMessageStarted(m_run.GetRecord(), nIndex);
    return pJob;
}

void CSendRequest::OnEnded()
{
    m_run.OnEnded();
    m_host.OnMessagesEnded(m_run.GetRecord());
}

void CSendRequest::Record(size_t nIndex, bool bNotConfirmed)
{
    if (!m_pRecorder)
        return;
    const CSendRecord& record = m_run.GetRecord();
    const bool bReports = !m_options.bSave && m_options.bReports;
    for (const CStoreFailure& failure :
         m_pRecorder->RecordMessage(record.recipients[nIndex], record.strText, bReports, bNotConfirmed))
        Host().OnStoreFailure(failure.strWhat, failure.dwError);
}

void CSendRequest::FailBeforeThePdu(size_t nIndex, const std::string& strError)
{
    FailWith(WSTR("cannot write the outbox (") + Utf8ToWide(strError) + WSTR(")"), kSendFailure, kSendTrace,
             GetDisplayName(nIndex));
}

// --- What a recipient's message tells ------------------------------------------

// The PDU goes right after: the outbox has it submitting first, or it does not go.
bool CSendRequest::OnSubmitting(size_t nIndex, unsigned nPart, unsigned nParts, uint32_t dwRef)
{
    std::string strError;
    if (!m_run.OnSubmitting(nIndex, dwRef, strError)) {
        FailBeforeThePdu(nIndex, strError);
        return false;
    }
    if (m_options.bSave)
        Status(WSTR("Uploading message to phone..."));
    else if (nParts == 1)
        Status(WSTR("Sending message to ") + GetDisplayName(nIndex) + WSTR("..."));
    else
        Status(WSTR("Sending message ") + AnsiToWide(std::to_string(nPart)) + WSTR(" to ") + GetDisplayName(nIndex) +
               WSTR("..."));
    return true;
}

// Only the last part finishes the recipient.
void CSendRequest::OnPartAccepted(size_t nIndex, unsigned nMr, bool bLast)
{
    m_run.OnPartAccepted(nIndex, nMr, bLast);
    if (!bLast)
        return;
    if (m_options.bSave)
        Status(WSTR("Message uploaded"), true);
    else
        Status(WSTR("Message sent to ") + GetDisplayName(nIndex), true);
    Record(nIndex, false);
    m_host.OnMessageDone(m_run.GetRecord(), nIndex);
    if (m_options.bSave)
        TRACE_REPORT("Message uploaded\n");
    else
        TRACE_REPORT("Message sent\n");
}

// "Retrying message to 0123 (congestion)", or with the part's number for a
// message of several. The part cannot have left: the recipient waits again.
void CSendRequest::OnRetrying(size_t nIndex, unsigned nPart, unsigned nParts, const WString& strMeaning)
{
    m_run.OnRetrying(nIndex);
    if (m_options.bSave)
        return;
    const WString strPart = nParts == 1 ? WString() : AnsiToWide(std::to_string(nPart)) + WSTR(" ");
    Status(WSTR("Retrying message ") + strPart + WSTR("to ") + GetDisplayName(nIndex) + WSTR(" (") + strMeaning +
           WSTR(")"));
}

void CSendRequest::OnRefused(size_t nIndex, const CSmsException& error)
{
    const WString strReason = m_options.bSave ? Fail(error, kSaveFailure, kSaveTrace)
                                              : Fail(error, kSendFailure, kSendTrace, GetDisplayName(nIndex));
    m_run.OnFailed(nIndex, strReason);
}

// The run ends here: the message must not be offered again before the user
// has looked at the phone.
void CSendRequest::OnNotConfirmed(size_t nIndex, const WString& strReason)
{
    m_run.OnNotConfirmed(nIndex, strReason);
    TRACE_REPORT("Message not confirmed\n");
    Status(WSTR("Not confirmed: the phone did not say whether the message to ") + GetDisplayName(nIndex) +
           WSTR(" was sent; check the phone before sending it again"));
    Record(nIndex, true);
    m_host.OnMessageNotConfirmed(m_run.GetRecord(), nIndex);
}
