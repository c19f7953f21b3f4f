// The History, the Inbox and a conversation as CSV, for a spreadsheet (CCsvWriter, with the
// separator given): the columns Time, Number, Name, State, Text.
#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "base/Text.h"
#include "sms/Inbox.h"
#include "sms/ReportMatch.h"
#include "app/Contact.h"
#include "app/ConversationList.h"
#include "app/HistoryRecord.h"
#include "app/TextSearch.h"

// The computer's offset from UTC at the moment, "+01:00".
WString GetLocalZoneText(std::time_t now);

// The records oldest first, each time as it was written and strZone after
// it (the history keeps local times without their zone), the state as the
// History shows it.
std::string FormatHistoryCsv(const std::vector<CHistoryRecord>& records,
                             const std::map<WString, std::vector<CSentPart>>& reports, const WString& strZone,
                             WChar chSeparator);
// The messages in the order given, the time with the zone the service
// centre gave, the name of the contact with the sender's number (or
// none), the state "received".
std::string FormatInboxCsv(const std::vector<CReceivedMsg>& messages, const std::vector<CContact>& contacts,
                           WChar chSeparator);

// A thread's messages oldest first: the time in UTC ("2026-12-08
// 09:15:00+00:00"; a sent one's that could not be read as the History wrote
// it), the number sent to or received from, the thread's name, the state as
// the History shows it or "received".
std::string FormatConversationCsv(const CConversation& thread, WChar chSeparator);

// What the search box looks for in a record: its recipient, name and text,
// prepared for CSearchQuery::Matches.
CSearchFields PrepareHistorySearch(const CHistoryRecord& record);
// Whether the search box's text is in a message's sender, name or text (MatchesSearch).
bool InboxMatches(const CReceivedMsg& msg, const std::vector<CContact>& contacts, const WString& strQuery);
