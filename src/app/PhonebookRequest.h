// Downloading the phone's phone book: the entries are handed over once the
// whole phone book is in, so a failed or cancelled download leaves the
// host's list as it was.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "app/Contact.h"
#include "app/PhoneRequest.h"
#include "phone/PhonebookJob.h"

class CPhonebookRequest : public CPhoneRequest, private CPhonebookListener {
public:
    typedef std::function<void(const std::vector<CContact>&)> FnPhonebook;

    // fnPhonebook receives the whole phone book.
    explicit CPhonebookRequest(FnPhonebook fnPhonebook) : m_fnPhonebook(std::move(fnPhonebook)) {}

    std::unique_ptr<CModemJob> NextJob(CModemLink& link) override;

private:
    // CPhonebookListener
    void OnDownloading() override;
    void OnEntry(const WString& strName, const WString& strNumber) override;
    void OnDownloaded() override;
    void OnProgress(unsigned nRead, unsigned nTotal) override { Host().OnProgress(nRead, nTotal); }
    void OnFailed(const CSmsException& error) override;

    FnPhonebook m_fnPhonebook;
    std::vector<CContact> m_entries;  // of the download in progress
};
