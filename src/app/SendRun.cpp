#include "app/SendRun.h"

#include "base/Trace.h"

void CSendRun::Start(const std::vector<CSendRecipient>& recipients, const WString& strText, bool bSave,
                     COutbox* pOutbox, std::string& strError)
{
    m_recipients = recipients;
    m_strText = strText;
    m_bSave = bSave;
    m_nNext = 0;
    m_partRefs.clear();
    m_entry = COutboxEntry();
    m_entry.strText = strText;
    for (const CSendRecipient& recipient : recipients) {
        COutboxRecipient r;
        r.strTyped = recipient.strTyped;
        r.strName = recipient.contact.m_strName;
        r.strNumber = recipient.contact.m_strNumber;
        r.nRef = recipient.nRef;
        r.nParts = recipient.nPartsDone;
        m_entry.recipients.push_back(r);
    }
    m_pOutbox = bSave ? nullptr : pOutbox;
    if (m_pOutbox && !m_pOutbox->Begin(m_entry, strError))
        m_pOutbox = nullptr;
}

CMsg& CSendRun::StartNext()
{
    const CSendRecipient& recipient = m_recipients[m_nNext++];
    m_pBefore = std::move(m_pCurrent);
    m_pCurrent = std::make_unique<CMsg>(m_strText, recipient.contact.m_strName, recipient.contact.m_strNumber);
    m_partRefs.clear();
    if (recipient.nPartsDone > 0 && recipient.nPartsDone < m_pCurrent->GetTotalParts()) {
        m_pCurrent->m_dwRef = recipient.nRef;
        for (unsigned i = 0; i < recipient.nPartsDone; ++i)
            m_pCurrent->NextPart();
    }
    return *m_pCurrent;
}

void CSendRun::Keep(EOutboxState eState)
{
    COutboxRecipient& recipient = Current();
    recipient.eState = eState;
    std::string strError;
    if (m_pOutbox && !m_pOutbox->Mark(m_nNext - 1, recipient, strError))
        TRACE_PAIR("The outbox missed a change: %s\n", strError.c_str());
}

void CSendRun::OnSubmitting()
{
    Current().nRef = m_pCurrent->m_dwRef;
    Keep(EOutboxState::SUBMITTING);
}

// The parts that went are kept, so that a message cut short goes on where it
// stopped; until its next part is submitted it waits.
void CSendRun::OnPartAcknowledged(unsigned nRef)
{
    m_partRefs.push_back(nRef);
    ++Current().nParts;
    if (!m_pCurrent->IsComplete())
        Keep(EOutboxState::WAITING);
}

void CSendRun::OnSent()
{
    Current().strReason.clear();
    Keep(EOutboxState::SENT);
}

void CSendRun::OnFailed(const WString& strReason)
{
    if (m_nNext == 0)
        return;
    Current().strReason = strReason;
    Keep(EOutboxState::FAILED);
    Stop();
}

void CSendRun::OnNotConfirmed()
{
    if (m_nNext == 0)
        return;
    Keep(EOutboxState::NOT_CONFIRMED);
    Stop();
}

void CSendRun::OnEnded()
{
    if (m_nNext > 0 && Current().eState == EOutboxState::SUBMITTING)
        Keep(EOutboxState::NOT_CONFIRMED);  // its PDU may have gone
    if (m_pOutbox && m_entry.IsOver())
        m_pOutbox->End();
}

WString CSendRun::DescribeProgress() const
{
    if (m_recipients.size() < 2)
        return WString();
    return AnsiToWide("; sent to " + std::to_string(Count(EOutboxState::SENT)) + " of " +
                      std::to_string(m_recipients.size()));
}

WString CSendRun::DescribePosition() const
{
    if (m_recipients.size() < 2)
        return WString();
    return AnsiToWide(" (" + std::to_string(m_nNext) + " of " + std::to_string(m_recipients.size()) + ")");
}

std::vector<CSendRecipient> CSendRun::GetNotServed() const
{
    std::vector<CSendRecipient> list;
    for (size_t i = 0; i < m_recipients.size(); ++i) {
        const COutboxRecipient& outcome = m_entry.recipients[i];
        if (outcome.eState != EOutboxState::WAITING && outcome.eState != EOutboxState::FAILED)
            continue;
        CSendRecipient recipient = m_recipients[i];
        recipient.nRef = outcome.nRef;
        recipient.nPartsDone = outcome.nParts;
        list.push_back(recipient);
    }
    return list;
}
