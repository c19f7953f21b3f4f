#include "app/Draft.h"

#include <string>

namespace {

CLeftOver LeftOverFrom(const COutboxEntry& entry)
{
    CLeftOver left{entry.strText, {}};
    for (const COutboxRecipient& r : entry.recipients) {
        if (r.eState != EOutboxState::WAITING && r.eState != EOutboxState::FAILED)
            continue;
        CSendRecipient recipient;
        recipient.strTyped = r.strTyped;
        recipient.contact = CContact(r.strName, r.strNumber);
        recipient.nRef = r.nRef;
        recipient.nPartsDone = r.nParts;
        left.recipients.push_back(recipient);
    }
    return left;
}

} // namespace

bool CDraft::OpenOutbox(const WString& strFolder, COutboxEntry& entry)
{
    m_pOutbox = std::make_unique<COutbox>(strFolder);
    if (!m_pOutbox->TakeLeft(entry))
        return false;
    m_left = LeftOverFrom(entry);
    return true;
}

void CDraft::BeginSend(const WString& strText, std::vector<CSendRecipient>& recipients)
{
    GoOnFrom(m_left, strText, recipients);
    m_bSentWhole = false;  // until every recipient has it
    m_bSending = true;
    m_strSentText = strText;
}

// Sent whole only while the box still holds the text sent.
void CDraft::EndSend(const CSendRun& run, const WString& strBoxText)
{
    m_bSending = false;
    m_left = CLeftOver{m_strSentText, run.GetNotServed()};
    m_bSentWhole = run.Count(EOutboxState::SENT) == run.GetCount() && strBoxText == m_strSentText;
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
