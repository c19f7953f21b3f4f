// One send (or save) to its recipients, served one after the other, and what
// became of each: its outcome, kept in the outbox as it happens (a send's,
// not a save's, which never leaves the phone), and the recipients not served
// for the next Send.
#pragma once

#include <memory>
#include <vector>

#include "app/Outbox.h"
#include "app/SendList.h"
#include "sms/Msg.h"

class CSendRun {
public:
    // pOutbox (not owned) keeps the send's entry; null: none is kept.
    // strError: why the outbox could not be kept (the send goes on).
    void Start(const std::vector<CSendRecipient>& recipients, const WString& strText, bool bSave, COutbox* pOutbox,
               std::string& strError);
    bool IsSave() const { return m_bSave; }
    bool HasNext() const { return m_nNext < m_recipients.size(); }
    // How many have been started: 1 while the first one is served.
    size_t GetStarted() const { return m_nNext; }
    // The next recipient's message: a new one, or the rest of one whose first
    // parts went before, with the same reference.
    CMsg& StartNext();
    // The message being sent; null before the first.
    CMsg* GetCurrent() const { return m_pCurrent.get(); }

    // The current part's PDU goes to the phone now.
    void OnSubmitting();
    void OnPartAcknowledged(unsigned nRef);
    void OnSent();
    void OnFailed(const WString& strReason);
    void OnNotConfirmed();
    // Nothing more is served; the recipients not reached stay waiting.
    void Stop() { m_nNext = m_recipients.size(); }
    // The request is over: the outbox entry ends when every recipient has an outcome.
    void OnEnded();

    size_t GetCount() const { return m_recipients.size(); }
    const std::vector<CSendRecipient>& GetRecipients() const { return m_recipients; }
    const COutboxRecipient& GetOutcome(size_t nIndex) const { return m_entry.recipients[nIndex]; }
    size_t Count(EOutboxState eState) const { return m_entry.Count(eState); }
    // "; sent to 1 of 3" when there is more than one recipient.
    WString DescribeProgress() const;
    // " (2 of 3)" while the second of three is served; empty for one recipient.
    WString DescribePosition() const;
    // The waiting and the failed, in order, as typed, each with what of its message went.
    std::vector<CSendRecipient> GetNotServed() const;
    const std::vector<unsigned>& GetPartReferences() const { return m_partRefs; }

private:
    COutboxRecipient& Current() { return m_entry.recipients[m_nNext - 1]; }
    void Keep(EOutboxState eState);

    std::vector<CSendRecipient> m_recipients;
    COutboxEntry m_entry;  // the outcomes, in the recipients' order
    WString m_strText;
    bool m_bSave = false;
    COutbox* m_pOutbox = nullptr;
    size_t m_nNext = 0;
    std::unique_ptr<CMsg> m_pCurrent;
    std::unique_ptr<CMsg> m_pBefore;  // the driver may still refer to it while the next one starts
    std::vector<unsigned> m_partRefs;  // of the current message
};
