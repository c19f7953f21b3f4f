// Lists the messages of the memory the phone has selected ("AT+CMGL=4") and
// deletes those the owner has stored and asks to delete ("AT+CMGD=<index>").
// A send lists for the delivery reports it awaits (a refusal does not stop
// the send); reading the phone's messages lists each memory in turn.
#pragma once

#include <vector>

#include "phone/MessageListing.h"
#include "phone/ModemJob.h"

class CListingStep {
public:
    CListingStep(CModemLink& link, bool bForReports) : m_link(link), m_bForReports(bForReports) {}

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

    enum class EStep { LIST, DELETE };

    CModemLink& m_link;
    bool m_bForReports;
    EStep m_eStep = EStep::LIST;
    CMessageListing m_listing;
    std::vector<unsigned> m_deletes;  // the indexes still to delete
};
