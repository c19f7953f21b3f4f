#include "app/PhonebookRequest.h"

std::unique_ptr<CModemJob> CPhonebookRequest::NextJob(CModemLink& link)
{
    CPhonebookListener& listener = *this;
    return OnlyJob<CPhonebookJob>(link, listener);
}

void CPhonebookRequest::OnDownloading()
{
    Status(WSTR("Downloading phonebook..."));
}

void CPhonebookRequest::OnEntry(const WString& strName, const WString& strNumber)
{
    m_entries.emplace_back(strName, strNumber);
}

void CPhonebookRequest::OnDownloaded()
{
    m_fnPhonebook(m_entries);
    Status(WSTR("Phonebook downloaded"), true);
}

void CPhonebookRequest::OnFailed(const CSmsException& error)
{
    Fail(error, "Failed to download phonebook", "Failed to download phonebook\n");
}
