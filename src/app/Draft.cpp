#include "app/Draft.h"

#include <string>

bool CDraft::OpenOutbox(const WString& strFolder, CSendRecord& record)
{
    m_pOutbox = std::make_unique<COutbox>(strFolder);
    if (!m_pOutbox->TakeLeft(record))
        return false;
    m_last = record;
    return true;
}

void CDraft::BeginSend(const WString& strText, std::vector<CSendRecipient>& recipients)
{
    GoOnFrom(m_last, strText, recipients);
    m_bSentWhole = false;  // until every recipient has it
    m_bSending = true;
}

// Sent whole only while the box still holds the text sent.
void CDraft::EndSend(const CSendRecord& record, const WString& strBoxText)
{
    m_bSending = false;
    m_last = record;
    m_bSentWhole = record.Count(ESendState::SENT) == record.recipients.size() && strBoxText == record.strText;
}

void CDraft::LetGo()
{
    if (m_pOutbox)
        m_pOutbox->End();
}

WString DescribeUnsent(size_t nSent, size_t nCount, bool bRunning)
{
    if (nSent == 0 || nSent >= nCount || bRunning)
        return WSTR("Your message has not been sent.");
    const size_t nLeft = nCount - nSent;
    return Utf8ToWide("Your message has been sent to " + std::to_string(nSent) + " of " + std::to_string(nCount) +
                      " recipients; " + std::to_string(nLeft) + (nLeft == 1 ? " has" : " have") + " not got it.");
}
