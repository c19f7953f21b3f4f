#include "app/ListingStore.h"

#include "base/Trace.h"

std::vector<unsigned> CListingStore::Take(const std::vector<CListedPdu>& pdus)
{
    if (!m_pRecorder)
        return std::vector<unsigned>();
    const CListingResult result = m_pRecorder->TakeListing(pdus, m_bReportsOnly);
    m_nNew += result.nNew;
    if (m_pRecorder->GetInbox() && !m_pRecorder->GetInbox()->GetLoadNote().empty())
        m_host.OnInboxNote(m_pRecorder->GetInbox()->GetLoadNote());
    if (!result.strError.empty()) {
        TRACE_REPORT("Could not store what the phone listed\n");
        TRACE_PAIR("Not stored: %s\n", result.strError.c_str());
        if (m_strError.empty())
            m_strError = result.strError;
        m_host.OnListingNotStored(result.strError);
    }
    return result.deletes;
}
