// Sending a message to its recipients, or storing it in the phone's memory
// for each: one job per recipient, served one after the other on the port
// the one before left open, each with a message (and reference number) of
// its own and the whole handshake; the text is the one given when the send
// began. The record of the send (CSendRun) is changed as each part's result
// comes, kept in the outbox as it happens, and handed to the host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/ListingStore.h"
#include "app/Outbox.h"
#include "app/PhoneRequest.h"
#include "app/RequestRecorder.h"
#include "app/SendRecord.h"
#include "app/SendRun.h"

// Who hears what became of each recipient.
class CSendHost : public CListingHost {
public:
    // Recipient nIndex of the send's record is handed to the phone.
    virtual void OnMessageStarted(const CSendRecord& record, size_t nIndex) = 0;
    // Recipient nIndex's whole message has been sent (or stored in the phone).
    virtual void OnMessageDone(const CSendRecord& record, size_t nIndex) = 0;
    // Recipient nIndex's message may or may not have left: a part's PDU went
    // out and the phone did not say. The run ends; the status line says so.
    virtual void OnMessageNotConfirmed(const CSendRecord& record, size_t nIndex) = 0;
    // The send is over (before OnRequestEnded): what became of each
    // recipient, as the record has it.
    virtual void OnMessagesEnded(const CSendRecord& record) = 0;
};

struct CSendOptions {
    bool bSave = false;         // stored in the phone's memory instead
    bool bReports = false;      // every part asks for a delivery report
    bool bReadPending = false;  // the first message lists the phone's memory for the reports awaited
};

class CSendRequest : public CPhoneRequest {
public:
    // Recipients must have been resolved and checked (ResolveSendList,
    // CheckText) before. pOutbox keeps a send's record, pRecorder what the
    // messages and the listing leave behind; null: nothing is kept. Not owned.
    CSendRequest(CSendHost& host, const std::vector<CSendRecipient>& recipients, const WString& strText,
                 const CSendOptions& options, COutbox* pOutbox = nullptr, CRequestRecorder* pRecorder = nullptr);

    std::unique_ptr<CModemJob> NextJob(CModemLink& link) override;
    void Stop() override { m_run.Stop(); }
    WString DescribeProgress() const override { return m_run.GetRecord().DescribeProgress(); }
    size_t GetNotConfirmed() const override { return m_run.Count(ESendState::NOT_CONFIRMED); }
    void OnEnded() override;

    const CSendRecord& GetRecord() const { return m_run.GetRecord(); }

private:
    class CRecipientListener;

    // What a recipient's message told its listener.
    bool OnSubmitting(size_t nIndex, unsigned nPart, unsigned nParts, uint32_t dwRef);
    void OnPartAccepted(size_t nIndex, unsigned nMr, bool bLast);
    void OnRetrying(size_t nIndex, unsigned nPart, unsigned nParts, const WString& strMeaning);
    void OnRefused(size_t nIndex, const CSmsException& error);
    void OnNotConfirmed(size_t nIndex, const WString& strReason);

    bool Begin();
    void Record(size_t nIndex, bool bNotConfirmed);
    void FailBeforeThePdu(size_t nIndex, const std::string& strError);
    WString GetDisplayName(size_t nIndex) const { return m_run.GetRecord().recipients[nIndex].contact.GetDisplayName(); }

    CSendHost& m_host;
    std::vector<CSendRecipient> m_recipients;  // as given, until the run begins
    WString m_strText;
    CSendOptions m_options;
    COutbox* m_pOutbox;
    CRequestRecorder* m_pRecorder;
    CSendRun m_run;
    CListingStore m_listing;
    bool m_bStarted = false;  // the run has begun: its first message is made
};
