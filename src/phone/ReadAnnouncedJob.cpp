#include "phone/ReadAnnouncedJob.h"

#include "base/Trace.h"
#include "phone/PhoneReply.h"

const char CReadAnnouncedJob::kDefaultStorage[] = "SM";

bool CReadAnnouncedJob::IsOtherStorage() const
{
    return m_announced.strStorage != kDefaultStorage;
}

void CReadAnnouncedJob::Start()
{
    if (!IsOtherStorage()) {
        Read();
        return;
    }
    m_eStep = EStep::SELECT;
    m_link.Command(SelectStorageCommand(m_announced.strStorage));
}

void CReadAnnouncedJob::Read()
{
    m_eStep = EStep::READ;
    m_link.Command("AT+CMGR=" + std::to_string(m_announced.nIndex));
}

void CReadAnnouncedJob::OnLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    switch (m_eStep) {
    case EStep::SELECT:
        if (result == EFinalResult::FINAL_OK) {
            Read();
        } else if (result == EFinalResult::FINAL_ERROR) {
            TRACE_PAIR("The phone refused the memory '%s': '%s'\n", m_announced.strStorage.c_str(), strLine.c_str());
            m_link.Done();
        }
        return;
    case EStep::READ:
        OnReadLine(strLine);
        return;
    case EStep::ERASE:
        if (result == EFinalResult::FINAL_ERROR)
            TRACE_PAIR("The phone did not delete a message: '%s'\n", strLine.c_str());
        if (result != EFinalResult::FINAL_NONE)
            Finish();
        return;
    default:  // RESTORE
        if (result != EFinalResult::FINAL_NONE)
            m_link.Done();
        return;
    }
}

void CReadAnnouncedJob::OnReadLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    if (result == EFinalResult::FINAL_NONE) {
        m_listing.Feed(strLine);
        return;
    }
    m_listing.Finish();
    if (result == EFinalResult::FINAL_ERROR || m_listing.GetPdus().empty()) {
        TRACE_PAIR("Nothing to read at %s %u: '%s'\n", m_announced.strStorage.c_str(), m_announced.nIndex,
                   strLine.c_str());
        Finish();
        return;
    }
    if (m_listener.OnAnnouncedRead(m_announced, m_listing.GetPdus().front())) {
        m_eStep = EStep::ERASE;
        m_link.Command("AT+CMGD=" + std::to_string(m_announced.nIndex));
        return;
    }
    Finish();
}

void CReadAnnouncedJob::Finish()
{
    if (!IsOtherStorage()) {
        m_link.Done();
        return;
    }
    m_eStep = EStep::RESTORE;
    m_link.Command(SelectStorageCommand(kDefaultStorage));
}
