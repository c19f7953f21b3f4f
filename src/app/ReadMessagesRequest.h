// Reading the phone's received messages and delivery reports: every memory
// listed, what it holds stored by the recorder (the inbox file, the reports
// it settles), then deleted when the recorder says so; "2 new messages", or
// why they could not be stored (nothing was deleted then).
#pragma once

#include <cstddef>
#include <memory>

#include "app/ListingStore.h"
#include "app/PhoneRequest.h"
#include "app/RequestRecorder.h"
#include "phone/ReadMessagesJob.h"

// Who hears what the reading brought.
class CReadingHost : public CListingHost {
public:
    // Every memory has been read; nNew messages were new.
    virtual void OnMessagesRead(size_t nNew) = 0;
};

class CReadMessagesRequest : public CPhoneRequest, private CReadMessagesListener {
public:
    // pRecorder (not owned; null: nothing is stored or deleted) stores what is
    // listed; bReportsOnly: the listings are for the reports alone.
    CReadMessagesRequest(CReadingHost& host, CRequestRecorder* pRecorder, bool bReportsOnly)
        : m_host(host), m_listing(pRecorder, host, bReportsOnly)
    {
    }

    std::unique_ptr<CModemJob> NextJob(CModemLink& link) override;

private:
    // CReadMessagesListener
    void OnReading() override;
    std::vector<unsigned> OnListed(const std::vector<CListedPdu>& pdus) override { return m_listing.Take(pdus); }
    void OnRead() override;
    void OnFailed(const CSmsException& error) override;

    CReadingHost& m_host;
    CListingStore m_listing;
};
