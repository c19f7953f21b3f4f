#include "phone/PhonebookJob.h"

#include "base/Trace.h"
#include "phone/PhoneError.h"
#include "phone/PhoneReply.h"

namespace {

// "+CME ERROR: 22", or its verbose form.
bool IsNotFound(const std::string& strLine)
{
    CPhoneError error;
    return FindPhoneError(strLine, error) && error.eKind == CPhoneError::EKind::CME &&
           (error.bNumeric ? error.nCode == 22 : error.strText == "not found");
}

} // namespace

void CPhonebookJob::Start()
{
    m_eStep = EStep::CHARSET;
    m_link.Command("AT+CSCS=\"UTF-8\"");
}

void CPhonebookJob::OnLine(const std::string& strLine)
{
    if (m_eStep == EStep::RANGE) {
        OnRangeLine(strLine);
        return;
    }
    if (m_eStep == EStep::READ) {
        OnEntryLine(strLine);
        return;
    }
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_NONE:
        return;
    case EFinalResult::FINAL_ERROR:
        throw CSmsException("OK", strLine);
    default:
        m_listener.OnDownloading();
        m_eStep = EStep::RANGE;
        m_bRangeKnown = false;
        m_link.Command("AT+CPBR=?");
        return;
    }
}

void CPhonebookJob::OnRangeLine(const std::string& strLine)
{
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_NONE: {
        if (!StartsWith(strLine, kCpbr))
            return;
        unsigned nFirst = 0;
        unsigned nLast = 0;
        if (!ParsePhonebookRange(strLine, nFirst, nLast))
            throw CSmsException("+CPBR: (<first>-<last>)", strLine);
        if (nLast - nFirst >= kMaxLocations) {
            TRACE_PAIR("Reading the first %u of %u locations\n", kMaxLocations, nLast - nFirst + 1);
            nLast = nFirst + kMaxLocations - 1;
        }
        m_nFirstIndex = nFirst;
        m_nNextIndex = nFirst;
        m_nLastIndex = nLast;
        m_bRangeKnown = true;
        return;
    }
    case EFinalResult::FINAL_ERROR:
        throw CSmsException("OK", strLine);
    default:
        if (!m_bRangeKnown)
            throw CSmsException("+CPBR: (<first>-<last>)", strLine);
        ReadNextBatch();
        return;
    }
}

void CPhonebookJob::ReadNextBatch()
{
    // A phone without locations reports (0-0).
    if (m_nLastIndex == 0 || m_nNextIndex > m_nLastIndex) {
        m_listener.OnDownloaded();
        m_link.Done();
        return;
    }
    const unsigned nFirst = m_nNextIndex;
    const unsigned nLast = m_nLastIndex - nFirst >= kBatch ? nFirst + kBatch - 1 : m_nLastIndex;
    m_listener.OnProgress(nFirst - m_nFirstIndex, m_nLastIndex - m_nFirstIndex + 1);
    m_nNextIndex = nLast + 1;
    m_eStep = EStep::READ;
    m_link.Command("AT+CPBR=" + std::to_string(nFirst) + "," + std::to_string(nLast));
}

void CPhonebookJob::OnEntryLine(const std::string& strLine)
{
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_NONE: {
        if (!StartsWith(strLine, kCpbr))
            return;
        // One odd entry does not cost the rest of the phone book.
        CPhonebookEntry entry;
        if (!ParsePhonebookEntry(strLine, entry)) {
            TRACE_PAIR("Skipped the phone-book line '%s'\n", strLine.c_str());
            return;
        }
        if (!entry.strNumber.empty())
            m_listener.OnEntry(entry.strName, entry.strNumber);
        return;
    }
    case EFinalResult::FINAL_ERROR:
        // Many phones answer so for a range without entries.
        if (!IsNotFound(strLine))
            throw CSmsException("OK", strLine);
        ReadNextBatch();
        return;
    default:
        ReadNextBatch();
        return;
    }
}
