#include "phone/Modem.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/Trace.h"
#include "phone/PhoneError.h"
#include "sms/Msg.h"
#include "sms/Pdu.h"

namespace {

const char kCtrlZ = '\x1A';
const char kCpbr[] = "+CPBR:";
// A reply line longer than this is babble, not an answer.
const size_t kMaxReplyLine = 2048;
// Lines one multi-line reply may have: a phone-book batch with room for
// several numbers per location and unsolicited codes in between.
const size_t kMaxReplyLines = CModem::kPhonebookBatch * 8 + 16;

void Expect(const std::string& strReply, const char* pszExpected)
{
    if (strReply != pszExpected)
        throw CSmsException(pszExpected, strReply);
}

bool StartsWith(const std::string& str, const char* pszPrefix)
{
    return str.compare(0, std::char_traits<char>::length(pszPrefix), pszPrefix) == 0;
}

// "+CME ERROR: 22", or its verbose form.
bool IsNotFound(const std::string& strLine)
{
    CPhoneError error;
    return FindPhoneError(strLine, error) && error.eKind == CPhoneError::EKind::CME &&
           (error.bNumeric ? error.nCode == 22 : error.strText == "not found");
}

std::string Format(const char* pszFormat, unsigned n1, unsigned n2 = 0)
{
    char sz[64];
    std::snprintf(sz, sizeof(sz), pszFormat, n1, n2);
    return sz;
}

} // namespace

const char CModem::kReportMode[] = "AT+CNMI=2,1,0,2,0";

CModem::CModem(CPortOperations* pSerialCom, CModemSink* pSink)
    : m_pSerialCom(pSerialCom),
      m_pSink(pSink),
      m_eState(EState::ST_DONE),
      m_eRequest(ERequest::REQ_SEND),
      m_pMsg(nullptr),
      m_bClosing(false),
      m_bTimerArmed(false),
      m_dwProgressTimeout(kProgressTimeout),
      m_nRetries(0),
      m_replyLines(kMaxReplyLine),
      m_nReplyLines(0),
      m_nNextIndex(0),
      m_nLastIndex(0),
      m_bRangeKnown(false)
{
}

void CModem::RequestSend(CMsg* pMsg, const WString& strPort)
{
    StartRequest(ERequest::REQ_SEND, pMsg, strPort);
}

void CModem::RequestSave(CMsg* pMsg, const WString& strPort)
{
    StartRequest(ERequest::REQ_SAVE, pMsg, strPort);
}

void CModem::RequestPhonebook(const WString& strPort)
{
    StartRequest(ERequest::REQ_PHONEBOOK, nullptr, strPort);
}

void CModem::RequestDeviceTest(const WString& strPort)
{
    StartRequest(ERequest::REQ_DEVICE_TEST, nullptr, strPort);
}

void CModem::RequestReadMessages(const WString& strPort)
{
    StartRequest(ERequest::REQ_READ_MESSAGES, nullptr, strPort);
}

const char* CModem::GetFailureText(ERequest eRequest)
{
    switch (eRequest) {
    case ERequest::REQ_PHONEBOOK: return "Failed to download phonebook";
    case ERequest::REQ_SAVE: return "Failed to save message";
    case ERequest::REQ_DEVICE_TEST: return "Failed to get model";
    case ERequest::REQ_READ_MESSAGES: return "Failed to read messages";
    default: return "Failed to send message";
    }
}

void CModem::StartRequest(ERequest eRequest, CMsg* pMsg, const WString& strPort)
{
    // One request at a time: the next one starts once this one has finished
    // (or from inside OnMessageSent/OnMessageUploaded after its last part).
    ZASSERT(m_eState == EState::ST_DONE || m_bClosing);
    m_eRequest = eRequest;
    if (pMsg)
        m_pMsg = pMsg;
    // Until the open is announced nothing from the phone belongs to this
    // request, and a handshake timer left from an earlier one must not act.
    m_eState = EState::ST_OPENING;
    m_bClosing = false;
    m_nRetries = 0;
    m_bListingReports = false;
    m_unsolicited.Reset();
    m_pSerialCom->OpenPort(WideToAnsi(strPort));
}

void CModem::OnOperationComplete(std::unique_ptr<CSerialOp> op, std::unique_ptr<CSerialPortException> error)
{
    ZASSERT(op);
    if (!op)
        return;
    if (error) {
        OnTransportError(op->m_eKind);
        return;
    }
    switch (op->m_eKind) {
    case EOpKind::OP_OPEN:
        OnPortOpened();
        break;
    case EOpKind::OP_CLOSE:
        // Whatever comes after the close belongs to no request.
        m_bClosing = true;
        StopTimer();
        m_pSink->OnRequestEnded();
        break;
    case EOpKind::OP_READ:
        OnReply(op->GetText());
        break;
    default:  // writes and the port list need nothing from the driver
        break;
    }
}

// The owner has shown the port's error. The request ends as every request
// does, with a close whose announcement calls OnRequestEnded, and the worker
// keeps running, so the next request works.
void CModem::OnTransportError(EOpKind eKind)
{
    switch (eKind) {
    case EOpKind::OP_CLOSE:
        m_bClosing = true;
        StopTimer();
        m_pSink->OnRequestEnded();
        break;
    case EOpKind::OP_OPEN:
    case EOpKind::OP_READ:
    case EOpKind::OP_WRITE:
        if (m_bClosing)
            break;
        StopTimer();
        m_pSerialCom->CancelAll();
        Close();
        break;
    default:
        break;
    }
}

void CModem::OnPortOpened()
{
    if (m_bClosing)  // cancelled while the port was being opened
        return;
    m_pSink->OnHandshaking();
    m_eState = EState::ST_AT;
    m_pSerialCom->CancelAll();
    m_pSerialCom->WriteCommand("AT");
    m_pSerialCom->Read(kReadSize);
    ArmTimer(kHandshakeTimeout);
}

void CModem::OnTimer()
{
    m_bTimerArmed = false;
    m_pSink->KillTimeout();
    if (m_bClosing)
        return;
    switch (m_eState) {
    case EState::ST_DONE:
    case EState::ST_OPENING:
        return;
    case EState::ST_RETRY_WAIT:
        try {
            AnnouncePart();
        } catch (const CSmsException& e) {
            Fail(e);
        }
        return;
    default:  // the awaited answer has not come
        TRACE_PAIR("No answer in state %d\n", static_cast<int>(m_eState));
        m_pSink->OnTimedOut();
        m_pSerialCom->CancelAll();
        Close();
        return;
    }
}

void CModem::Cancel()
{
    StopTimer();
    m_pSerialCom->CancelAll();
    Close();
}

void CModem::Close()
{
    m_bClosing = true;
    m_pSerialCom->ClosePort();
}

// Also restarts a timer already running: progress gives the next answer
// the whole time-out.
void CModem::ArmTimer(uint32_t dwMilliseconds)
{
    m_bTimerArmed = true;
    m_pSink->SetTimeout(dwMilliseconds);
}

void CModem::StopTimer()
{
    if (!m_bTimerArmed)
        return;
    m_bTimerArmed = false;
    m_pSink->KillTimeout();
}

void CModem::OnReply(const std::string& strRaw)
{
    // A burst that was on its way when the request was cancelled or failed.
    if (m_bClosing)
        return;
    try {
        Dispatch(strRaw);
    } catch (const CSmsException& e) {
        Fail(e);
    }
    PassOnReports();
}

void CModem::PassOnReports()
{
    const std::vector<std::string> lines = m_unsolicited.TakeReportLines();
    if (lines.empty())
        return;
    CMessageListing reports;
    for (const std::string& strLine : lines)
        reports.Feed(strLine);
    reports.Finish();
    m_pSink->OnReportsArrived(reports.GetPdus());
}

void CModem::Dispatch(const std::string& strRaw)
{
    switch (m_eState) {
    // Multi-line replies are taken as lines, which may span bursts.
    case EState::ST_MODEL:
        OnModelReply(strRaw);
        return;
    case EState::ST_PHONEBOOK_RANGE:
        OnPhonebookRangeReply(strRaw);
        return;
    case EState::ST_PHONEBOOK_READ:
        OnPhonebookReadReply(strRaw);
        return;
    case EState::ST_REPORT_MODE:
        OnReportModeReply(strRaw);
        return;
    case EState::ST_STORAGES:
        OnStoragesReply(strRaw);
        return;
    case EState::ST_SELECT_STORAGE:
        OnSelectStorageReply(strRaw);
        return;
    case EState::ST_LIST:
        OnListReply(strRaw);
        return;
    case EState::ST_DELETE:
        OnDeleteReply(strRaw);
        return;
    case EState::ST_RESTORE_STORAGE:
        OnRestoreStorageReply(strRaw);
        return;
    case EState::ST_AT:
    case EState::ST_ECHO_OFF:
    case EState::ST_PDU_MODE:
    case EState::ST_PROMPT:
    case EState::ST_SUBMIT:
    case EState::ST_CHARSET:
        break;
    default:  // ST_DONE, ST_OPENING, ST_RETRY_WAIT: nothing is awaited
        return;
    }
    // The other answers are judged by the whole burst, less what the phone
    // said on its own; a burst with nothing else in it is no answer yet.
    const std::string strReply = TrimWhite(m_unsolicited.StripBurst(strRaw));
    if (strReply.empty()) {
        ReadAgain();
        return;
    }
    switch (m_eState) {
    case EState::ST_AT:
        OnAtReply(strReply);
        break;
    case EState::ST_ECHO_OFF:
        OnEchoOffReply(strReply);
        break;
    case EState::ST_PDU_MODE:
        OnPduModeReply(strReply);
        break;
    case EState::ST_PROMPT:
        OnPromptReply(strReply);
        break;
    case EState::ST_SUBMIT:
        OnSubmitReply(strReply);
        break;
    default:  // ST_CHARSET
        OnCharsetReply(strReply);
        break;
    }
}

void CModem::Fail(const CSmsException& e)
{
    TraceAssert(__FILE__, __LINE__, "!\"CSmsException\"");
    TRACE_PAIR("Expected '%s', received '%s'\n", WideToUtf8(e.m_strExpected).c_str(),
               WideToUtf8(e.m_strReceived).c_str());
    m_lastFailure = e;
    StopTimer();
    m_bClosing = true;
    m_pSink->OnRequestFailed();
    Close();
}

void CModem::Command(const std::string& strCommand, EState eNewState)
{
    m_eState = eNewState;
    m_replyLines.Clear();
    m_nReplyLines = 0;
    m_pSerialCom->WriteCommand(strCommand);
    m_pSerialCom->Read(kReadSize);
    ArmTimer(m_dwProgressTimeout);
}

void CModem::ReadAgain()
{
    m_pSerialCom->Read(kReadSize);
}

// --- Handshake ---------------------------------------------------------------

// What a cancelled message left behind (its part's late answer, which the
// purge after the open may have missed) is skipped; the echo alone is
// followed by the answer.
void CModem::OnAtReply(const std::string& strReply)
{
    const std::string strAnswer = SkipLeftoverAnswers(strReply);
    if (strAnswer.empty() || strAnswer == "AT") {
        ReadAgain();
        return;
    }
    if (strAnswer == "OK" || strAnswer == "AT\r\r\nOK" || strAnswer == "OK\r\n\r\nOK") {
        Command("ATE0", EState::ST_ECHO_OFF);
        return;
    }
    throw CSmsException("OK", strReply);
}

void CModem::OnEchoOffReply(const std::string& strReply)
{
    const std::string strAnswer = SkipLeftoverAnswers(strReply);
    if (strAnswer.empty() || strAnswer == "ATE0") {
        ReadAgain();
        return;
    }
    if (strAnswer == "OK" || strAnswer == "ATE0\r\r\nOK" || strAnswer == "OK\r\n\r\nOK") {
        StartRequestCommands();
        return;
    }
    throw CSmsException("OK", strReply);
}

void CModem::StartRequestCommands()
{
    switch (m_eRequest) {
    case ERequest::REQ_PHONEBOOK:
        Command("AT+CSCS=\"UTF-8\"", EState::ST_CHARSET);
        break;
    case ERequest::REQ_DEVICE_TEST:
        m_modelLines.clear();
        Command("AT+CGMI", EState::ST_MODEL);
        break;
    case ERequest::REQ_SEND:
        // Only a message that asks for reports changes where the phone puts them.
        if (m_pMsg && m_pMsg->m_bStatusReport) {
            Command(kReportMode, EState::ST_REPORT_MODE);
            break;
        }
        Command("AT+CMGF=0", EState::ST_PDU_MODE);
        break;
    default:  // REQ_SAVE, REQ_READ_MESSAGES
        Command("AT+CMGF=0", EState::ST_PDU_MODE);
        break;
    }
}

// --- Sending and storing a message, part by part ------------------------------

void CModem::OnPduModeReply(const std::string& strReply)
{
    Expect(strReply, "OK");
    if (m_eRequest == ERequest::REQ_READ_MESSAGES) {
        m_pSink->OnReadingMessages();
        m_bStoragesKnown = false;
        m_storages.clear();
        m_strSelected.clear();
        Command("AT+CPMS?", EState::ST_STORAGES);
    } else if (m_eRequest == ERequest::REQ_SEND && m_bReadReports) {
        m_bReadReports = false;
        m_bListingReports = true;
        ListMessages();
    } else {
        AnnouncePart();
    }
}

// Builds the current part's PDU and announces it with its TPDU length.
void CModem::AnnouncePart()
{
    ZASSERT(m_pMsg);
    if (!m_pMsg)
        throw CSmsException("a message", "");
    // The window refuses such texts and numbers before it asks; a garbled
    // PDU must never reach the phone all the same.
    if (m_pMsg->IsTooLong())
        throw CSmsException("at most 255 parts", Format("%u parts", m_pMsg->GetTotalParts()));
    if (!m_pMsg->BuildPdu(m_strPdu))
        throw CSmsException("a number that can be sent", WideToAnsi(m_pMsg->m_strNumber));
    m_eState = EState::ST_PROMPT;
    m_pSerialCom->WriteRaw(Format(IsSave() ? "AT+CMGW=%u\r" : "AT+CMGS=%u\r", GetTpduLength(m_strPdu)));
    ReadAgain();
    ArmTimer(m_dwProgressTimeout);
}

// A part refused with a transient error (a busy network or phone) is offered
// again when the timer fires, the same PDU with the same reference; only a
// refused part is, so nothing reaches the recipient twice. False when the
// refusal ends the request.
bool CModem::RetryRefusedPart(const std::string& strReply)
{
    CPhoneError error;
    if (IsSave() || m_nRetries >= kMaxRetries || !FindPhoneError(strReply, error) || !IsTransient(error))
        return false;
    const char* pszMeaning = GetPhoneErrorMeaning(error.eKind, error.nCode);
    const uint32_t dwDelay = kRetryDelays[m_nRetries++];
    TRACE_PAIR("Part %u refused with '%s'; offered again in %u ms\n", static_cast<unsigned>(m_pMsg->m_btCurSms),
               strReply.c_str(), static_cast<unsigned>(dwDelay));
    m_eState = EState::ST_RETRY_WAIT;
    ArmTimer(dwDelay);
    m_pSink->OnRetrying(AnsiToWide(pszMeaning ? pszMeaning : error.strText));
    return true;
}

void CModem::OnPromptReply(const std::string& strReply)
{
    const std::string strPrompt = SkipLeftoverOk(strReply);
    if (strPrompt.empty()) {  // the late "OK" of the previous part alone
        ReadAgain();
        return;
    }
    if (strPrompt != ">" && RetryRefusedPart(strPrompt))
        return;
    Expect(strPrompt, ">");
    if (IsSave())
        m_pSink->OnUploadingMessage();
    else if (m_pMsg->GetTotalParts() == 1)
        m_pSink->OnSending();
    else
        m_pSink->OnSendingPart(m_pMsg->m_btCurSms);
    m_eState = EState::ST_SUBMIT;
    m_pSerialCom->WriteRaw(m_strPdu + kCtrlZ);
    ReadAgain();
    ArmTimer(m_dwProgressTimeout);
}

void CModem::OnSubmitReply(const std::string& strReply)
{
    const std::string strAck = SkipLeftoverOk(strReply);
    if (strAck.empty()) {
        ReadAgain();
        return;
    }
    // The storage index that follows "+CMGW: " is not needed; the message
    // reference is, for the delivery report that may come.
    const char* pszAck = IsSave() ? "+CMGW: " : "+CMGS: ";
    if (strAck.compare(0, 7, pszAck) != 0) {
        if (RetryRefusedPart(strAck))
            return;
        throw CSmsException(pszAck, strAck);
    }
    m_nLastRef = static_cast<unsigned>(std::strtoul(strAck.c_str() + 7, nullptr, 10)) & 0xFF;

    m_nRetries = 0;
    m_pMsg->NextPart();
    const bool bComplete = m_pMsg->IsComplete();
    // Set before the owner is told: it may start its next request (on the
    // open port) from inside the call, and that one must not be disturbed.
    if (bComplete)
        m_eState = EState::ST_DONE;
    const bool bKeepOpen = IsSave() ? m_pSink->OnMessageUploaded() : m_pSink->OnMessageSent();
    if (!bComplete)
        AnnouncePart();
    else if (!bKeepOpen)
        Close();
}

// --- Device test ----------------------------------------------------------------

std::vector<std::string> CModem::TakeLines(const std::string& strRaw, size_t nMaxLines)
{
    std::vector<std::string> lines;
    if (!m_replyLines.Feed(strRaw, lines))
        throw CSmsException("a line of at most 2048 characters", strRaw);
    m_nReplyLines += lines.size();
    if (m_nReplyLines > (nMaxLines ? nMaxLines : kMaxReplyLines))
        throw CSmsException("a final result code", lines.empty() ? strRaw : lines.back());
    std::vector<std::string> kept;
    for (std::string& strLine : lines) {
        if (m_unsolicited.KeepLine(strLine))
            kept.push_back(std::move(strLine));
    }
    return kept;
}

void CModem::OnModelReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        switch (GetFinalResult(strLine)) {
        case EFinalResult::FINAL_NONE:
            m_modelLines.push_back(strLine);
            break;
        case EFinalResult::FINAL_ERROR:
            throw CSmsException("OK", strLine);
        case EFinalResult::FINAL_OK: {
            const std::string strModel = GetModelText(m_modelLines);
            if (strModel.empty())
                throw CSmsException("the maker's name", strLine);
            m_eState = EState::ST_DONE;
            Close();
            m_pSink->OnModel(AnsiToWide(strModel));
            return;
        }
        }
    }
    ReadAgain();  // the final result code is still to come
}

// --- Phone-book download --------------------------------------------------------

void CModem::OnCharsetReply(const std::string& strReply)
{
    Expect(strReply, "OK");
    m_pSink->OnDownloadingPhonebook();
    m_bRangeKnown = false;
    Command("AT+CPBR=?", EState::ST_PHONEBOOK_RANGE);
}

void CModem::OnPhonebookRangeReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        switch (GetFinalResult(strLine)) {
        case EFinalResult::FINAL_NONE: {
            if (!StartsWith(strLine, kCpbr))
                break;  // an unsolicited code
            unsigned nFirst = 0;
            unsigned nLast = 0;
            if (!ParsePhonebookRange(strLine, nFirst, nLast))
                throw CSmsException("+CPBR: (<first>-<last>)", strLine);
            if (nLast - nFirst >= kMaxPhonebookLocations) {
                TRACE_PAIR("Reading the first %u of %u locations\n", kMaxPhonebookLocations,
                           nLast - nFirst + 1);
                nLast = nFirst + kMaxPhonebookLocations - 1;
            }
            m_nNextIndex = nFirst;
            m_nLastIndex = nLast;
            m_bRangeKnown = true;
            break;
        }
        case EFinalResult::FINAL_ERROR:
            throw CSmsException("OK", strLine);
        case EFinalResult::FINAL_OK:
            if (!m_bRangeKnown)
                throw CSmsException("+CPBR: (<first>-<last>)", strLine);
            ReadNextBatch();
            return;
        }
    }
    ReadAgain();
}

void CModem::ReadNextBatch()
{
    // A phone without locations reports (0-0).
    if (m_nLastIndex == 0 || m_nNextIndex > m_nLastIndex) {
        FinishPhonebook();
        return;
    }
    const unsigned nFirst = m_nNextIndex;
    const unsigned nLast =
        m_nLastIndex - nFirst >= kPhonebookBatch ? nFirst + kPhonebookBatch - 1 : m_nLastIndex;
    m_nNextIndex = nLast + 1;
    Command(Format("AT+CPBR=%u,%u", nFirst, nLast), EState::ST_PHONEBOOK_READ);
}

void CModem::OnPhonebookReadReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        switch (GetFinalResult(strLine)) {
        case EFinalResult::FINAL_NONE: {
            if (!StartsWith(strLine, kCpbr))
                break;
            // One odd entry does not cost the rest of the phone book.
            CPhonebookEntry entry;
            if (!ParsePhonebookEntry(strLine, entry)) {
                TRACE_PAIR("Skipped the phone-book line '%s'\n", strLine.c_str());
                break;
            }
            if (!entry.strNumber.empty())
                m_pSink->OnPhonebookEntry(entry.strName, entry.strNumber);
            break;
        }
        case EFinalResult::FINAL_ERROR:
            // Many phones answer so for a range without entries.
            if (IsNotFound(strLine)) {
                ReadNextBatch();
                return;
            }
            throw CSmsException("OK", strLine);
        case EFinalResult::FINAL_OK:
            ReadNextBatch();
            return;
        }
    }
    ReadAgain();
}

void CModem::FinishPhonebook()
{
    m_pSink->OnPhonebookDownloaded();
    m_eState = EState::ST_DONE;
    Close();
}

// --- Received messages and delivery reports ----------------------------------

// A phone that does not keep reports as asked keeps its own way: the send
// goes on whatever the answer.
void CModem::OnReportModeReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        const EFinalResult result = GetFinalResult(strLine);
        if (result == EFinalResult::FINAL_NONE)
            continue;
        if (result == EFinalResult::FINAL_ERROR)
            TRACE_PAIR("The phone refused '%s': '%s'\n", kReportMode, strLine.c_str());
        Command("AT+CMGF=0", EState::ST_PDU_MODE);
        return;
    }
    ReadAgain();
}

void CModem::ListMessages()
{
    m_listing = CMessageListing();
    m_deletes.clear();
    Command("AT+CMGL=4", EState::ST_LIST);
}

// A phone without "+CPMS" is listed in the memory it has selected.
void CModem::OnStoragesReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        switch (GetFinalResult(strLine)) {
        case EFinalResult::FINAL_NONE: {
            std::vector<CStorageStatus> storages;
            if (ParseStorageStatus(strLine, storages)) {
                m_storages = GetStoragesToRead(storages);
                m_strSelected = storages.front().strName;
                m_bStoragesKnown = true;
            }
            break;
        }
        case EFinalResult::FINAL_ERROR:
            TRACE_PAIR("No memories from '+CPMS?': '%s'\n", strLine.c_str());
            m_storages.assign(1, std::string());
            m_nStorage = 0;
            ReadNextStorage();
            return;
        case EFinalResult::FINAL_OK:
            if (!m_bStoragesKnown)
                m_storages.assign(1, std::string());
            m_nStorage = 0;
            ReadNextStorage();
            return;
        }
    }
    ReadAgain();
}

void CModem::ReadNextStorage()
{
    if (m_nStorage >= m_storages.size()) {
        FinishReading();
        return;
    }
    const std::string& strStorage = m_storages[m_nStorage++];
    if (strStorage.empty())
        ListMessages();
    else
        Command("AT+CPMS=\"" + strStorage + "\"", EState::ST_SELECT_STORAGE);
}

// A memory the phone named but will not select is passed over.
void CModem::OnSelectStorageReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        switch (GetFinalResult(strLine)) {
        case EFinalResult::FINAL_NONE:
            break;
        case EFinalResult::FINAL_ERROR:
            TRACE_PAIR("The phone refused the memory '%s': '%s'\n", m_storages[m_nStorage - 1].c_str(),
                       strLine.c_str());
            ReadNextStorage();
            return;
        case EFinalResult::FINAL_OK:
            ListMessages();
            return;
        }
    }
    ReadAgain();
}

void CModem::OnListReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw, kMaxListingLines)) {
        switch (GetFinalResult(strLine)) {
        case EFinalResult::FINAL_NONE:
            m_listing.Feed(strLine);
            break;
        case EFinalResult::FINAL_ERROR:
            if (!m_bListingReports)
                throw CSmsException("OK", strLine);
            TRACE_PAIR("The phone refused to list its messages: '%s'\n", strLine.c_str());
            FinishListing();
            return;
        case EFinalResult::FINAL_OK:
            m_listing.Finish();
            m_deletes = m_pSink->OnMessagesListed(m_listing.GetPdus());
            DeleteNext();
            return;
        }
    }
    ReadAgain();
}

void CModem::DeleteNext()
{
    if (m_deletes.empty()) {
        FinishListing();
        return;
    }
    const unsigned nIndex = m_deletes.front();
    m_deletes.erase(m_deletes.begin());
    Command(Format("AT+CMGD=%u", nIndex), EState::ST_DELETE);
}

// A message the phone will not delete stays there, stored all the same.
void CModem::OnDeleteReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        const EFinalResult result = GetFinalResult(strLine);
        if (result == EFinalResult::FINAL_NONE)
            continue;
        if (result == EFinalResult::FINAL_ERROR)
            TRACE_PAIR("The phone did not delete a message: '%s'\n", strLine.c_str());
        DeleteNext();
        return;
    }
    ReadAgain();
}

void CModem::FinishListing()
{
    if (m_bListingReports) {
        m_bListingReports = false;
        AnnouncePart();
    } else {
        ReadNextStorage();
    }
}

// The phone is left with the memory it had selected: the listing of a send
// (for its reports) lists that one.
void CModem::FinishReading()
{
    const bool bChanged = !m_storages.empty() && !m_storages.back().empty() && m_storages.back() != m_strSelected;
    if (bChanged && !m_strSelected.empty() && m_eState != EState::ST_RESTORE_STORAGE) {
        Command("AT+CPMS=\"" + m_strSelected + "\"", EState::ST_RESTORE_STORAGE);
        return;
    }
    m_pSink->OnMessagesRead();
    m_eState = EState::ST_DONE;
    Close();
}

void CModem::OnRestoreStorageReply(const std::string& strRaw)
{
    for (const std::string& strLine : TakeLines(strRaw)) {
        const EFinalResult result = GetFinalResult(strLine);
        if (result == EFinalResult::FINAL_NONE)
            continue;
        if (result == EFinalResult::FINAL_ERROR)
            TRACE_PAIR("The phone refused its memory '%s' again: '%s'\n", m_strSelected.c_str(), strLine.c_str());
        FinishReading();
        return;
    }
    ReadAgain();
}
