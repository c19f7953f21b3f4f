// What a request leaves behind once a step of it is over, the same for the
// window and the console tool: the parts of a message sent that await
// delivery reports ("Reports"), the history record of a message (the
// window's), and what a listing of the phone's memory brought (the inbox
// file, the reports it settles).
#pragma once

#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/InboxUpdate.h"
#include "app/SendRecord.h"
#include "base/DataFolder.h"
#include "base/ListKey.h"
#include "base/Text.h"
#include "phone/MessageListing.h"

// What could not be stored: in the words "Could not <strWhat>", and the
// system's error.
struct CStoreFailure {
    WString strWhat;
    uint32_t dwError;
};

class CRequestRecorder {
public:
    // The date and time a message is recorded under, as the history shows it.
    typedef std::function<WString()> FnTimeText;

    // reportsKey: the settings key of the "Reports" list. Not owned.
    CRequestRecorder(CListKey& reportsKey, FnTimeText fnTimeText)
        : m_reportsKey(reportsKey), m_fnTimeText(std::move(fnTimeText))
    {
    }

    // The messages go to the history too ("NewHistory"), its oldest records
    // to the archive in the folder. Neither is owned.
    void KeepHistory(CListKey& historyKey, CDataFolder& archive);
    // What the phone's memory lists is stored through a new update of the
    // inbox file (an empty path: the reports only).
    void StartInbox(const WString& strInboxPath, bool bDelete);
    CInboxUpdate* GetInbox() const { return m_pInbox.get(); }

    // A recipient's message of strText is over: sent whole, or not confirmed
    // (which its history record says). bReports: its parts asked for
    // delivery reports, which the references the phone gave them will match.
    std::vector<CStoreFailure> RecordMessage(const CSendRecipient& recipient, const WString& strText, bool bReports,
                                             bool bNotConfirmed);
    CListingResult TakeListing(const std::vector<CListedPdu>& pdus, bool bReportsOnly);
    // False, with why, when they could not be kept.
    bool TakeReports(const std::vector<CListedPdu>& reports, std::string& strError);

private:
    CListKey& m_reportsKey;
    FnTimeText m_fnTimeText;
    CListKey* m_pHistoryKey = nullptr;
    CDataFolder* m_pArchive = nullptr;
    std::unique_ptr<CInboxUpdate> m_pInbox;
};
