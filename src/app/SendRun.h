// One send (or save) to its recipients, served one after the other: the
// send's record (CSendRecord) and every change of it, kept in the outbox as
// it happens (a send's, not a save's, which never leaves the phone). Each
// change names its recipient by index; nothing here points at a "current"
// recipient.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/Outbox.h"
#include "app/SendRecord.h"
#include "sms/Msg.h"

class CSendRun {
public:
    // A new run of strText to the recipients (each with what of its message
    // went before). pOutbox (not owned) keeps a send's record; null: none is
    // kept. False, with the system's words, when the outbox cannot keep it:
    // nothing may go then.
    bool Start(const std::vector<CSendRecipient>& recipients, const WString& strText, bool bSave, COutbox* pOutbox,
               std::string& strError);
    bool IsSave() const { return m_bSave; }
    const CSendRecord& GetRecord() const { return m_record; }

    // The first recipient still waiting, unless the run has stopped.
    bool FindNext(size_t& nIndex) const;
    // Recipient nIndex's message from the part after those that went, with
    // the reference they went under.
    std::unique_ptr<CMsg> MakeMessage(size_t nIndex) const;

    // What became of a recipient's message. OnSubmitting: a part's PDU, of
    // a message with the reference dwRef, goes next; false, with the
    // system's words, when that could not be kept (the PDU must not go; the
    // recipient stays waiting and the run stops).
    bool OnSubmitting(size_t nIndex, uint32_t dwRef, std::string& strError);
    void OnPartAccepted(size_t nIndex, unsigned nMr, bool bLast);
    // A refusal that cannot have let it go: waiting again, at once.
    void OnRetrying(size_t nIndex);
    void OnFailed(size_t nIndex, const WString& strReason);
    void OnNotConfirmed(size_t nIndex, const WString& strReason);
    // Nothing more is served; the recipients not reached stay waiting.
    void Stop() { m_bStopped = true; }
    // The request is over: a recipient still submitting may have got it;
    // the outbox entry ends when every recipient has an outcome.
    void OnEnded();

    size_t Count(ESendState eState) const { return m_record.Count(eState); }
    size_t GetCount() const { return m_record.recipients.size(); }

private:
    void Keep(size_t nIndex, ESendState eState);
    bool Write(size_t nIndex, std::string& strError);

    CSendRecord m_record;
    bool m_bSave = false;
    bool m_bStopped = false;
    COutbox* m_pOutbox = nullptr;
};
