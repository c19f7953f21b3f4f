#include "cli/ConsoleRequest.h"

#include <cstdio>
#include <ctime>

#include "base/ErrorCodes.h"
#include "cli/Cli.h"
#include "app/DeviceTestRequest.h"
#include "app/PhonebookRequest.h"
#include "app/ReportStore.h"
#include "app/SendList.h"

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

// "reference 17", or "references 17, 18" of a message of several parts.
std::string DescribeReferences(const std::vector<unsigned>& refs)
{
    std::string str;
    for (unsigned nRef : refs)
        str += (str.empty() ? "" : ", ") + std::to_string(nRef);
    return (refs.size() == 1 ? "reference " : "references ") + str;
}

} // namespace

CConsoleRequest::CConsoleRequest(CPortOperations* pQueue, CConsoleHost* pHost, const WString& strPort,
                                 uint32_t dwTimeoutMs)
    : m_session(pQueue, this, this), m_pHost(pHost), m_strPort(strPort), m_dwTimeoutMs(dwTimeoutMs)
{
    m_session.SetProgressTimeout(dwTimeoutMs);
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
    m_bMessages = true;
    m_bSave = bSave;
    m_sendOptions.bSave = bSave;
    CSendHost& host = *this;
    auto pSend = std::make_unique<CSendRequest>(host, AsTyped(recipients), strText, m_sendOptions, nullptr,
                                                m_pRecorder.get());
    m_pSend = pSend.get();
    Start(std::move(pSend));
}

std::string DescribeHeld(const WString& strPort)
{
    return WideToUtf8(strPort) + " is held by Zandu SMS, which is receiving messages: turn Receive messages off there, "
                                 "or close it";
}

// Nothing to do: nothing was asked, nothing fails.
void CConsoleRequest::Start(std::unique_ptr<CPhoneRequest> pRequest)
{
    if (!RefuseHeld() && !m_session.Run(std::move(pRequest), m_strPort))
        Finish();
}

void CConsoleRequest::Listen(CReceiver& receiver)
{
    if (!RefuseHeld())
        m_session.Listen(&receiver, m_strPort);
}

bool CConsoleRequest::RefuseHeld()
{
    if (!m_pHost->IsHeldByReceiving(m_strPort))
        return false;
    m_pHost->PrintError(DescribeHeld(m_strPort));
    Note(kExitPort);
    Finish();
    return true;
}

void CConsoleRequest::DownloadPhonebook()
{
    Start(std::make_unique<CPhonebookRequest>([this](const std::vector<CContact>& phonebook) { OnPhonebook(phonebook); }));
}

void CConsoleRequest::TestPort()
{
    Start(std::make_unique<CDeviceTestRequest>([this](const CDeviceInfo& info) {
        m_device = info;
        m_bResult = true;
    }));
}

void CConsoleRequest::ReadMessages(CListKey& reportsKey, const WString& strInboxPath, bool bDelete, bool bReportsOnly)
{
    m_pRecorder = std::make_unique<CRequestRecorder>(reportsKey, [] { return WString(); });
    m_pRecorder->StartInbox(strInboxPath, bDelete);
    m_session.SetRecorder(m_pRecorder.get());
    CReadingHost& host = *this;
    Start(std::make_unique<CReadMessagesRequest>(host, m_pRecorder.get(), bReportsOnly));
}

void CConsoleRequest::Run(std::unique_ptr<CPhoneRequest> pRequest)
{
    m_bResult = true;  // unless something fails
    Start(std::move(pRequest));
}

// Nothing else is recorded: the console tool keeps no history.
void CConsoleRequest::RequestReports(CListKey& reportsKey, const WString& strInboxPath, const WString& strTime)
{
    m_strTime = strTime;
    m_pRecorder = std::make_unique<CRequestRecorder>(reportsKey, [this] { return m_strTime; });
    m_pRecorder->StartInbox(strInboxPath, false);
    m_session.SetRecorder(m_pRecorder.get());
    m_sendOptions.bReports = true;
    m_sendOptions.bReadPending = CReportStore(reportsKey).HasPending(std::time(nullptr));
}

void CConsoleRequest::OnOperationComplete(std::unique_ptr<CSerialOp> pOp,
                                          std::unique_ptr<CSerialPortException> pError)
{
    m_session.OnOperationComplete(std::move(pOp), std::move(pError));
}

// A port that does not even close within kCloseGraceMs of a time-out is
// given up.
void CConsoleRequest::OnTimer(unsigned nId)
{
    if (nId != TIMER_CLOSE) {
        m_session.OnTimer(nId);
        return;
    }
    if (m_bFinished)
        return;
    m_pHost->PrintError("the port did not close within " + Seconds(kCloseGraceMs) + "; giving up");
    Finish();
}

int CConsoleRequest::GetExitCode() const
{
    const CSendRecord* pRecord = m_bMessages && m_pSend ? &m_pSend->GetRecord() : nullptr;
    const size_t nSent = pRecord ? pRecord->Count(ESendState::SENT) : 0;
    if (pRecord && pRecord->Count(ESendState::NOT_CONFIRMED) + pRecord->Count(ESendState::SUBMITTING))
        return kExitNotConfirmed;
    if (pRecord && nSent > 0 && nSent < pRecord->recipients.size())
        return kExitPartly;
    if (m_nFailure != kExitOk)
        return m_nFailure;
    if (m_bMessages ? pRecord && nSent == pRecord->recipients.size() : m_bResult)
        return kExitOk;
    return kExitFailed;  // ended without a result, which only a failure does
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
    if (m_pSend)
        OnMessagesEnded(m_pSend->GetRecord());  // given up before the request ended
    m_pHost->KillTimer(TIMER_CLOSE);
    m_pHost->KillTimer(TIMER_DIALOGUE);
}

// --- CSessionHost ------------------------------------------------------------------

// The window's status texts, one per line, without the window's " at <time>".
void CConsoleRequest::OnStatus(const WString& strText, bool /*bTimed*/)
{
    m_pHost->PrintLine(WideToUtf8(strText));
}

void CConsoleRequest::OnRequestEnded()
{
    Finish();
}

// Entries are printed once the whole phone book is in, so a failed download
// prints none.
void CConsoleRequest::OnPhonebook(const std::vector<CContact>& phonebook)
{
    m_bResult = true;
    m_phonebook = phonebook;
    for (const CContact& contact : m_phonebook)
        m_pHost->PrintLine(OneLine(WideToUtf8(contact.m_strName), false) + "\t" +
                           OneLine(WideToUtf8(contact.m_strNumber), false));
}

// The window's reason (the system's text, or what it means for an open),
// with the code; a port the window took for receiving after RefuseHeld
// looked is named as RefuseHeld names it.
void CConsoleRequest::OnPortError(uint32_t dwError, const WString& strReason)
{
    const bool bHeld = dwError == kErrorAccessDenied && m_pHost->IsHeldByReceiving(m_strPort);
    m_pHost->PrintError(bHeld ? DescribeHeld(m_strPort)
                              : WideToUtf8(m_strPort) + ": " + WideToUtf8(strReason) + " (error " +
                                    std::to_string(dwError) + ")");
    Note(kExitPort);
}

void CConsoleRequest::OnPhoneRefused(const CSmsException& e, const WString& strReason)
{
    m_pHost->PrintError((strReason.empty() ? std::string() : WideToUtf8(strReason) + ": ") + "the phone answered '" +
                        OneLine(WideToUtf8(e.m_strReceived), true) + "' instead of '" +
                        OneLine(WideToUtf8(e.m_strExpected), true) + "'");
    Note(kExitFailed);
}

// Cancelled as the window's Cancel button does it (the driver has cancelled
// the exchange and queued the close, whose announcement ends the request).
void CConsoleRequest::OnNoProgress()
{
    Note(kExitTimeout);
    OnStatus(WSTR("Canceled"), false);
    m_pHost->PrintError("timed out: no answer from the phone for " + Seconds(m_dwTimeoutMs) +
                        "; the request was cancelled");
    m_pHost->SetTimer(TIMER_CLOSE, kCloseGraceMs);
}

void CConsoleRequest::OnNoAnswer()
{
    m_pHost->PrintError("no answer to AT on " + WideToUtf8(m_strPort) + " within " +
                        Seconds(CModem::kHandshakeTimeout) + ": is the phone connected and switched on?");
    Note(kExitPort);
}

// "0123456789: sent (reference 17)", "222: failed: unknown error (+CMS
// ERROR: 500)", "333: not confirmed", "444: not sent": one line per
// recipient, in order, for a script to read. The references are the ones
// the phone gave the parts, which its delivery reports carry.
void CConsoleRequest::OnMessagesEnded(const CSendRecord& record)
{
    if (m_bOutcomesPrinted || record.recipients.size() < 2)
        return;  // of one recipient, the last status line says it
    m_bOutcomesPrinted = true;
    for (const CSendRecipient& recipient : record.recipients) {
        std::string strLine = WideToUtf8(recipient.contact.GetDisplayName()) + ": ";
        switch (recipient.eState) {
        case ESendState::SENT:
            strLine += m_bSave ? "stored" : "sent (" + DescribeReferences(recipient.partRefs) + ")";
            break;
        case ESendState::FAILED:
            strLine += recipient.strReason.empty() ? std::string("failed") : "failed: " + WideToUtf8(recipient.strReason);
            break;
        case ESendState::SUBMITTING:  // given up before the port closed: it may have gone
        case ESendState::NOT_CONFIRMED: strLine += "not confirmed"; break;
        default: strLine += "not sent"; break;
        }
        m_pHost->PrintOutcome(OneLine(strLine, true));
    }
}

// Whatever else went wrong, this is what the user must know first.
void CConsoleRequest::OnMessageNotConfirmed(const CSendRecord& record, size_t nIndex)
{
    m_nFailure = kExitNotConfirmed;
    m_pHost->PrintError("not confirmed: " + WideToUtf8(record.recipients[nIndex].contact.GetDisplayName()) +
                        " may have received the message; check the phone before sending it again");
    m_pHost->SetTimer(TIMER_CLOSE, kCloseGraceMs);
}

// The PIN is given once: one the phone refused is never given again.
bool CConsoleRequest::OnPinRequired(bool bRefused)
{
    if (bRefused) {
        m_pHost->PrintError("the phone refused the PIN; it is not given again (three wrong PINs lock the SIM)");
        return false;
    }
    if (m_strPin.empty()) {
        m_pHost->PrintError("the SIM asks for its PIN: give it with --pin-file FILE or ZANDU_SIM_PIN");
        return false;
    }
    m_session.EnterPin(m_strPin);
    return true;
}

void CConsoleRequest::OnStoreFailure(const WString& strWhat, uint32_t dwError)
{
    m_pHost->PrintError("cannot " + WideToUtf8(strWhat) + " (error " + std::to_string(dwError) + ")");
    Note(kExitSettings);
}

void CConsoleRequest::OnListingNotStored(const std::string& strError)
{
    m_pHost->PrintError("not stored, nothing deleted: " + strError);
    Note(kExitSettings);
}

void CConsoleRequest::OnInboxNote(const std::string& strLoadNote)
{
    if (m_bLoadNoted)
        return;
    m_bLoadNoted = true;
    m_pHost->PrintError(strLoadNote);
}
