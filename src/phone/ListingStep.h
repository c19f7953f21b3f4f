// Lists the messages of the memory the phone has selected ("AT+CMGL=4") and
// deletes those the owner has stored and asks to delete ("AT+CMGD=<index>").
// A send lists for the delivery reports it awaits (a refusal does not stop
// the send); reading the phone's messages lists each memory in turn.
#pragma once

#include <vector>

#include "phone/MessageListing.h"
#include "phone/ModemJob.h"

// Who stores what a listing brings.
class CListingListener {
public:
    virtual ~CListingListener() {}
    // What one "AT+CMGL" listed (of a send: for its delivery reports). The
    // result: the indexes to delete from that memory, which the listener
    // must have stored first.
    virtual std::vector<unsigned> OnListed(const std::vector<CListedPdu>& pdus) = 0;
};

class CListingStep {
public:
    CListingStep(CModemLink& link, CListingListener& listener, bool bForReports)
        : m_link(link), m_listener(listener), m_bForReports(bForReports)
    {
    }

    void Start();
    // The refused command again; a listing starts over.
    void Repeat();
    // True once the listing and its deletions are over.
    bool OnLine(const std::string& strLine);

    // Lines of one listing at most: two per stored message of memories far
    // larger than phones have, and unsolicited codes.
    static const size_t kMaxLines = 2 * 1000 + 16;

private:
    bool OnListLine(const std::string& strLine);
    bool DeleteNext();

    enum class EStep { LIST, DELETING };

    CModemLink& m_link;
    CListingListener& m_listener;
    bool m_bForReports;
    EStep m_eStep = EStep::LIST;
    CMessageListing m_listing;
    std::vector<unsigned> m_deletes;  // the indexes still to delete
};
