// The delivery reports awaited and received: per part of every message sent
// with "Request delivery report", the recipient and the reference the phone
// gave it, and what the reports said. They are kept in a list value of their
// own ("Reports") rather than in the history's records, whose four elements
// older versions and tools read; a history record finds its parts by its
// delivery key.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/ListKey.h"
#include "base/ListStore.h"
#include "base/Text.h"
#include "sms/ReportMatch.h"
#include "sms/StatusReport.h"

// What ties a history record to its parts: its number, its time text and a
// 64-bit hash of its text ("+4917012345|08.12.2026 10:15:02|9f3a5c0e7b21d4a8").
WString GetDeliveryKey(const WString& strNumber, const WString& strTime, const WString& strText);

// "Sent", "Pending", "Delivered 2026-12-08 10:15:09+01:00", "Not delivered: recipient busy".
WString DescribeDelivery(const CDeliverySummary& summary);

// The state of one history record from its message's parts: "Sent" when
// it asked for no report (or its parts are not kept, none), else
// DescribeDelivery of its parts.
WString DescribeRecordDelivery(const std::vector<CSentPart>& parts);
// The same from every message's parts, by the record's delivery key.
WString DescribeRecordDelivery(const std::map<WString, std::vector<CSentPart>>& parts, const WString& strKey);

class CReportStore {
public:
    // The value keeps the parts of this many messages' parts at most, the
    // oldest dropped first.
    enum { kMaxParts = 20000 };
    static const WChar kValue[];  // "Reports"

    explicit CReportStore(CListKey& key) : m_list(key) {}

    // The parts of a message just sent, under its delivery key.
    uint32_t Add(const WString& strKey, const std::vector<CSentPart>& parts);
    // Every message's parts by delivery key; none when the value is damaged.
    std::map<WString, std::vector<CSentPart>> Read() const;
    // One message's parts, as Read gives them, the others left unparsed.
    std::vector<CSentPart> ReadMessage(const WString& strKey) const;
    // Whether some part awaits its report and is recent enough to get one matched.
    bool HasPending(int64_t nNow) const;
    // Matches the reports (FindReportedPart) and applies them. keys[i] is
    // the delivery key of the message report i is about, empty when it
    // matched none; the error of the change, kErrorSuccess when nothing
    // needed changing.
    uint32_t Apply(const std::vector<CStatusReport>& reports, int64_t nNow, std::vector<WString>& keys);

private:
    CListStore m_list;
};
