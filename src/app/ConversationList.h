// What the Conversations window shows: the messages sent (the History, with
// each one's delivery state from the reports) and received (the inbox file)
// as one thread per correspondent, a contact or a number, every form of a
// number in the thread its phone is (IsSameNumber), newest thread first.
// Times are UTC instants; the window shows them in the user's format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/Text.h"
#include "sms/Inbox.h"
#include "sms/ReportMatch.h"
#include "app/Contact.h"
#include "app/HistoryList.h"
#include "app/TextSearch.h"

struct CConversationMsg {
    bool bOut = false;        // sent from here; else received
    int64_t nTime = 0;        // seconds since 1970 UTC; 0 when unknown
    WString strTime;          // sent: the time as the History wrote it (for a time that could not be read)
    WString strNumber;        // the recipient as sent to, or the sender
    WString strText;
    CDeliverySummary delivery;           // sent: what the reports say
    bool bUnread = false;                // received: not seen yet
    std::vector<std::string> partKeys;   // received: its parts in the inbox file
};

struct CConversation {
    WString strName;     // the contact's name; empty for a number no contact has
    WString strNumber;   // the contact's number, else the first form met
    bool bCanReply = false;              // a number (not an alphanumeric sender)
    std::vector<CConversationMsg> messages;  // oldest first, sent and received interleaved
    size_t nUnread = 0;

    // "Anna (+4917012345)", or the number alone.
    WString GetDisplayName() const;
    const CConversationMsg& GetLast() const { return messages.back(); }
};

class CConversationList {
public:
    // A history record's time text as an instant (the History keeps the
    // user's local date and time as text); 0 when it cannot be read.
    using FnReadTime = std::function<int64_t(const WString& strTime)>;

    // Threads from the history (oldest first, as stored), the reports by
    // delivery key, the received messages (any order) and the contacts.
    void Build(const CHistoryList& history, const std::map<WString, std::vector<CSentPart>>& reports,
               const std::vector<CReceivedMsg>& received, const std::vector<CContact>& contacts,
               const FnReadTime& fnReadTime);

    size_t GetCount() const { return m_threads.size(); }
    // Newest first: by the time of each thread's last message.
    const CConversation& Get(size_t nThread) const { return m_threads[nThread]; }
    // The thread of a number (or an alphanumeric sender); -1 when none has it.
    int Find(const WString& strNumber) const;
    // The threads whose name, a form of whose number or some message holds the query
    // (MatchesSearch), newest first; every thread for an empty one.
    std::vector<size_t> Search(const WString& strQuery) const;
    // A thread's received messages are seen: the parts to mark in the inbox
    // file (none when all are seen); they count as seen here from now on.
    std::set<std::string> MarkSeen(size_t nThread);

private:
    size_t ThreadOf(const WString& strNumber);
    void AddSent(const CHistoryList& history, const std::map<WString, std::vector<CSentPart>>& reports,
                 const FnReadTime& fnReadTime);
    void Order();

    std::vector<CConversation> m_threads;
    std::map<WString, size_t> m_byForm;                // every form of a number met, and its thread
    std::map<WString, std::vector<size_t>> m_byTail;   // threads by the last digits of their number
    std::map<WString, std::vector<const CContact*>> m_contactsByTail;  // the named contacts, while building
    mutable std::vector<CSearchFields> m_search;       // each thread's, once a search asks for them
};
