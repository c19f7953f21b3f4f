// What a listing of the phone's memory leaves behind: its received messages
// joined into the inbox file, its status reports applied to the messages that
// asked for them, and the indexes the phone may delete, which are only ever
// those of what has been stored. The window and the console tool take every
// listing through it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ListKey.h"
#include "base/Text.h"
#include "phone/MessageListing.h"
#include "sms/DeliverPdu.h"
#include "sms/Inbox.h"
#include "sms/StatusReport.h"

struct CListingResult {
    std::vector<unsigned> deletes;  // indexes of the memory listed, to delete
    size_t nNew = 0;                // messages the inbox did not hold
    std::string strError;           // why nothing of it was stored or deleted; empty when all went well
};

class CInboxUpdate {
public:
    // bDelete: what has been stored may be deleted from the phone
    // ("DeleteAfterDownload"). The key holds the "Reports" list.
    CInboxUpdate(const WString& strInboxPath, CListKey& reportsKey, bool bDelete);

    // One listing. bReportsOnly: the listing of a send, whose received
    // messages stay on the phone for the Inbox to read. The inbox file is
    // read before the first listing that needs it and written after every
    // one that changed it; when it cannot be read or written nothing
    // received is deleted.
    CListingResult Take(const std::vector<CListedPdu>& pdus, bool bReportsOnly, int64_t nNow);
    // Reports the phone passed on by itself ("+CDS:"): applied, never deleted.
    std::string TakeReports(const std::vector<CListedPdu>& pdus, int64_t nNow);

    // The received PDUs of this run's listings, in the order listed.
    const std::vector<CDeliverSms>& GetReceived() const { return m_received; }
    // The reports of this run's listings that were decoded, in the order listed.
    const std::vector<CStatusReport>& GetReports() const { return m_reports; }
    // The delivery key of the message each of them is about; empty when none.
    const std::vector<WString>& GetReportKeys() const { return m_reportKeys; }
    const CInbox& GetInbox() const { return m_inbox; }
    // A damaged inbox file put aside, for the user; empty otherwise.
    const std::string& GetLoadNote() const { return m_strLoadNote; }

private:
    bool LoadOnce(std::string& strError);
    // Applies the reports; false with the reason when they could not be stored.
    bool ApplyReports(const std::vector<CStatusReport>& reports, int64_t nNow, std::vector<WString>& keys,
                      std::string& strError);

    WString m_strPath;
    CListKey& m_reportsKey;
    bool m_bDelete;
    bool m_bLoaded = false;
    bool m_bLoadFailed = false;
    std::string m_strLoadError;
    std::string m_strLoadNote;
    CInbox m_inbox;
    std::vector<CDeliverSms> m_received;
    std::vector<CStatusReport> m_reports;
    std::vector<WString> m_reportKeys;
};
