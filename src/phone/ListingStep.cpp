#include "phone/ListingStep.h"

#include "base/Trace.h"
#include "phone/PhoneReply.h"

void CListingStep::Start()
{
    m_eStep = EStep::LIST;
    m_listing = CMessageListing();
    m_deletes.clear();
    m_link.Command("AT+CMGL=4");
}

void CListingStep::Repeat()
{
    if (m_eStep == EStep::LIST)
        m_listing = CMessageListing();
    m_link.RepeatCommand();
}

bool CListingStep::OnLine(const std::string& strLine)
{
    if (m_eStep == EStep::LIST)
        return OnListLine(strLine);
    // A message the phone will not delete stays there, stored all the same.
    const EFinalResult result = GetFinalResult(strLine);
    if (result == EFinalResult::FINAL_NONE)
        return false;
    if (result == EFinalResult::FINAL_ERROR)
        TRACE_PAIR("The phone did not delete a message: '%s'\n", strLine.c_str());
    return DeleteNext();
}

bool CListingStep::OnListLine(const std::string& strLine)
{
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_NONE:
        m_listing.Feed(strLine);
        return false;
    case EFinalResult::FINAL_ERROR:
        if (!m_bForReports)
            throw CSmsException("OK", strLine);
        TRACE_PAIR("The phone refused to list its messages: '%s'\n", strLine.c_str());
        return true;
    default:
        m_listing.Finish();
        m_deletes = m_listener.OnListed(m_listing.GetPdus());
        return DeleteNext();
    }
}

bool CListingStep::DeleteNext()
{
    if (m_deletes.empty())
        return true;
    const unsigned nIndex = m_deletes.front();
    m_deletes.erase(m_deletes.begin());
    m_eStep = EStep::DELETING;
    m_link.Command("AT+CMGD=" + std::to_string(nIndex));
    return false;
}
