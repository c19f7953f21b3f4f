#include "phone/ReadMessagesJob.h"

#include "base/Trace.h"
#include "phone/MessageListing.h"
#include "phone/PhoneReply.h"

void CReadMessagesJob::SetStep(EStep eStep)
{
    m_eStep = eStep;
    m_rules.nMaxLines = eStep == EStep::LISTING ? CListingStep::kMaxLines : CStepRules().nMaxLines;
}

void CReadMessagesJob::Start()
{
    SetStep(EStep::PDU_MODE);
    m_link.Command("AT+CMGF=0");
}

void CReadMessagesJob::RepeatStep()
{
    if (m_eStep == EStep::LISTING)
        m_listing.Repeat();
    else
        m_link.RepeatCommand();
}

void CReadMessagesJob::OnLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    switch (m_eStep) {
    case EStep::PDU_MODE:
        if (result == EFinalResult::FINAL_ERROR)
            throw CSmsException("OK", strLine);
        if (result == EFinalResult::FINAL_OK) {
            m_listener.OnReading();
            SetStep(EStep::STORAGES);
            m_link.Command("AT+CPMS?");
        }
        return;
    case EStep::STORAGES:
        OnStoragesLine(strLine);
        return;
    case EStep::SELECT:
        OnSelectLine(strLine);
        return;
    case EStep::LISTING:
        if (m_listing.OnLine(strLine))
            ReadNextStorage();
        return;
    default:  // RESTORE: the memory the phone had is selected again, or stays changed
        if (result == EFinalResult::FINAL_ERROR)
            TRACE_PAIR("The phone refused its memory '%s' again: '%s'\n", m_strSelected.c_str(), strLine.c_str());
        if (result != EFinalResult::FINAL_NONE)
            FinishReading();
        return;
    }
}

// A phone without "+CPMS" is listed in the memory it has selected.
void CReadMessagesJob::OnStoragesLine(const std::string& strLine)
{
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_NONE: {
        std::vector<CStorageStatus> storages;
        if (ParseStorageStatus(strLine, storages)) {
            m_storages = GetStoragesToRead(storages);
            m_strSelected = storages.front().strName;
            m_bStoragesKnown = true;
        }
        return;
    }
    case EFinalResult::FINAL_ERROR:
        TRACE_PAIR("No memories from '+CPMS?': '%s'\n", strLine.c_str());
        m_storages.assign(1, std::string());
        break;
    default:
        if (!m_bStoragesKnown)
            m_storages.assign(1, std::string());
        break;
    }
    m_nStorage = 0;
    ReadNextStorage();
}

void CReadMessagesJob::ReadNextStorage()
{
    if (m_nStorage >= m_storages.size()) {
        FinishReading();
        return;
    }
    const std::string& strStorage = m_storages[m_nStorage++];
    if (strStorage.empty()) {
        SetStep(EStep::LISTING);
        m_listing.Start();
        return;
    }
    SetStep(EStep::SELECT);
    m_link.Command(SelectStorageCommand(strStorage));
}

// A memory the phone named but will not select is passed over.
void CReadMessagesJob::OnSelectLine(const std::string& strLine)
{
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_NONE:
        return;
    case EFinalResult::FINAL_ERROR:
        TRACE_PAIR("The phone refused the memory '%s': '%s'\n", m_storages[m_nStorage - 1].c_str(), strLine.c_str());
        ReadNextStorage();
        return;
    default:
        SetStep(EStep::LISTING);
        m_listing.Start();
        return;
    }
}

// The phone is left with the memory it had selected: the listing of a send
// (for its reports) lists that one.
void CReadMessagesJob::FinishReading()
{
    const bool bChanged = !m_storages.empty() && !m_storages.back().empty() && m_storages.back() != m_strSelected;
    if (bChanged && !m_strSelected.empty() && m_eStep != EStep::RESTORE) {
        SetStep(EStep::RESTORE);
        m_link.Command(SelectStorageCommand(m_strSelected));
        return;
    }
    m_listener.OnRead();
    m_link.Done();
}
