#include "app/SendRun.h"

#include "base/Trace.h"

bool CSendRun::Start(const std::vector<CSendRecipient>& recipients, const WString& strText, bool bSave,
                     COutbox* pOutbox, std::string& strError)
{
    m_record = CSendRecord();
    m_record.strText = strText;
    m_record.recipients = recipients;
    for (CSendRecipient& recipient : m_record.recipients) {
        recipient.eState = ESendState::WAITING;
        recipient.strReason.clear();
    }
    m_bSave = bSave;
    m_bStopped = false;
    m_pOutbox = bSave ? nullptr : pOutbox;
    return !m_pOutbox || m_pOutbox->Begin(m_record, strError);
}

bool CSendRun::FindNext(size_t& nIndex) const
{
    if (m_bStopped)
        return false;
    for (size_t i = 0; i < m_record.recipients.size(); ++i) {
        if (m_record.recipients[i].eState == ESendState::WAITING) {
            nIndex = i;
            return true;
        }
    }
    return false;
}

std::unique_ptr<CMsg> CSendRun::MakeMessage(size_t nIndex) const
{
    const CSendRecipient& recipient = m_record.recipients[nIndex];
    auto pMsg = std::make_unique<CMsg>(m_record.strText, recipient.contact.m_strName, recipient.contact.m_strNumber);
    const unsigned nDone = recipient.GetPartsDone();
    if (nDone > 0 && nDone < pMsg->GetTotalParts()) {
        pMsg->m_dwRef = recipient.nRef;
        for (unsigned i = 0; i < nDone; ++i)
            pMsg->NextPart();
    }
    return pMsg;
}

bool CSendRun::Write(size_t nIndex, std::string& strError)
{
    return !m_pOutbox || m_pOutbox->Mark(nIndex, m_record.recipients[nIndex], strError);
}

void CSendRun::Keep(size_t nIndex, ESendState eState)
{
    m_record.recipients[nIndex].eState = eState;
    std::string strError;
    if (!Write(nIndex, strError))
        TRACE_PAIR("The outbox missed a change: %s\n", strError.c_str());
}

// On the disk before the PDU goes, or the PDU does not go.
bool CSendRun::OnSubmitting(size_t nIndex, uint32_t dwRef, std::string& strError)
{
    CSendRecipient& recipient = m_record.recipients[nIndex];
    recipient.nRef = dwRef;
    recipient.eState = ESendState::SUBMITTING;
    if (Write(nIndex, strError))
        return true;
    recipient.eState = ESendState::WAITING;
    m_bStopped = true;
    return false;
}

// The parts that went are kept, so that a message cut short goes on where it
// stopped; until its next part is submitted it waits.
void CSendRun::OnPartAccepted(size_t nIndex, unsigned nMr, bool bLast)
{
    CSendRecipient& recipient = m_record.recipients[nIndex];
    recipient.partRefs.push_back(nMr);
    recipient.strReason.clear();
    Keep(nIndex, bLast ? ESendState::SENT : ESendState::WAITING);
}

void CSendRun::OnRetrying(size_t nIndex)
{
    if (m_record.recipients[nIndex].eState == ESendState::SUBMITTING)
        Keep(nIndex, ESendState::WAITING);
}

void CSendRun::OnFailed(size_t nIndex, const WString& strReason)
{
    m_record.recipients[nIndex].strReason = strReason;
    Keep(nIndex, ESendState::FAILED);
    Stop();
}

void CSendRun::OnNotConfirmed(size_t nIndex, const WString& strReason)
{
    m_record.recipients[nIndex].strReason = strReason;
    Keep(nIndex, ESendState::NOT_CONFIRMED);
    Stop();
}

void CSendRun::OnEnded()
{
    for (size_t i = 0; i < m_record.recipients.size(); ++i) {
        if (m_record.recipients[i].eState == ESendState::SUBMITTING)
            Keep(i, ESendState::NOT_CONFIRMED);  // its PDU may have gone
    }
    if (m_pOutbox && m_record.IsOver())
        m_pOutbox->End();
}
