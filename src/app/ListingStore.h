// What the listings of one request bring (a send lists the phone's memory
// for the reports it awaits; reading the messages lists every memory): each
// listing stored by the recorder before anything of it is deleted, the new
// messages counted, and what could not be stored told once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/RequestRecorder.h"
#include "phone/MessageListing.h"

// Who hears what a listing could not do.
class CListingHost {
public:
    virtual ~CListingHost() {}
    // A listing the recorder could not store (nothing of it was deleted).
    virtual void OnListingNotStored(const std::string& strError) = 0;
    // A damaged inbox file was put aside (strLoadNote says so).
    virtual void OnInboxNote(const std::string& strLoadNote) = 0;
};

class CListingStore {
public:
    // bReportsOnly: only the delivery reports are taken. Neither is owned;
    // pRecorder null: nothing is stored or deleted.
    CListingStore(CRequestRecorder* pRecorder, CListingHost& host, bool bReportsOnly)
        : m_pRecorder(pRecorder), m_host(host), m_bReportsOnly(bReportsOnly)
    {
    }

    // One listing: the indexes to delete, of what has been stored.
    std::vector<unsigned> Take(const std::vector<CListedPdu>& pdus);
    size_t GetNew() const { return m_nNew; }
    // Why the first listing that could not be stored was not; empty when all were.
    const std::string& GetError() const { return m_strError; }

private:
    CRequestRecorder* m_pRecorder;
    CListingHost& m_host;
    bool m_bReportsOnly;
    size_t m_nNew = 0;
    std::string m_strError;
};
