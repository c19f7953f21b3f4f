// What a listing of the phone's memory leaves behind: its received messages
// joined into the inbox file, its status reports applied to the messages that
// asked for them, and the indexes the phone may delete, which are only ever
// those of what has been stored. The window and the console tool take every
// listing through it. The file is read, changed and written anew for every
// listing under its lock (ChangeInbox), so what another process stored in
// the meantime stays.
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
    // ("DeleteAfterDownload"). The key holds the "Reports" list. Without an
    // inbox path (the console's reports) only the reports are taken.
    CInboxUpdate(const WString& strInboxPath, CListKey& reportsKey, bool bDelete);

    // One listing. bReportsOnly: the listing of a send, for its reports:
    // the phone has marked its received messages read, so they are stored
    // as a reading stores them, new for the Inbox window, but left on the
    // phone, which keeps the send's dialogue short. The inbox file is read
    // and written when the listing holds received messages; when it cannot
    // be read or written nothing received is deleted.
    CListingResult Take(const std::vector<CListedPdu>& pdus, bool bReportsOnly, int64_t nNow);
    // Reports the phone passed on by itself ("+CDS:"): applied, never
    // deleted. False, with why, when they could not be kept.
    bool TakeReports(const std::vector<CListedPdu>& pdus, int64_t nNow, std::string& strError);

    // The received PDUs of this run's listings, in the order listed.
    const std::vector<CDeliverSms>& GetReceived() const { return m_received; }
    // The reports of this run's listings that were decoded, in the order listed.
    const std::vector<CStatusReport>& GetReports() const { return m_reports; }
    // The delivery key of the message each of them is about; empty when none.
    const std::vector<WString>& GetReportKeys() const { return m_reportKeys; }
    const CInbox& GetInbox() const { return m_inbox; }
    // The messages this run's listings completed (a message of one part, or
    // the last missing part of one), as the file now holds them.
    std::vector<CReceivedMsg> GetCompleted() const;
    // A damaged inbox file put aside, for the user; empty otherwise.
    const std::string& GetLoadNote() const { return m_strLoadNote; }

private:
    // Stores the received PDUs; false with the reason when they are not stored.
    bool Store(const std::vector<CDeliverSms>& received, size_t& nNew, std::string& strError);
    // Applies the reports; false with the reason when they could not be stored.
    bool ApplyReports(const std::vector<CStatusReport>& reports, int64_t nNow, std::vector<WString>& keys,
                      std::string& strError);

    WString m_strPath;
    CListKey& m_reportsKey;
    bool m_bDelete;
    std::string m_strLoadNote;
    CInbox m_inbox;  // as the last listing left the file
    std::vector<CDeliverSms> m_received;
    std::vector<std::string> m_addedKeys;  // of the PDUs stored or joined, not held before
    std::vector<CStatusReport> m_reports;
    std::vector<WString> m_reportKeys;
};
