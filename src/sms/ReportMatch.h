// Which sent message a delivery report is about, and what the reports say
// about a whole message, over the small record the history keeps per part.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Text.h"
#include "sms/SmsTime.h"
#include "sms/StatusReport.h"

enum class EPartDelivery {
    PART_PENDING,    // a report was asked for; no final one has come
    PART_DELIVERED,
    PART_FAILED,
    PART_UNCONFIRMED,  // its PDU went out and the phone did not say whether it was sent
};

// One part of a sent message that asked for a delivery report.
struct CSentPart {
    WString strNumber;      // the recipient as it was sent to
    unsigned nRef = 0;      // the reference of the phone's "+CMGS: <mr>", which it may have chosen itself
    int64_t nSentAt = 0;    // seconds since 1970-01-01 UTC
    EPartDelivery state = EPartDelivery::PART_PENDING;
    uint8_t btStatus = 0;   // TP-ST of the report that settled it
    CSmsTime discharge;     // and its time
};

// Reports older than this are not matched: references repeat every 255 messages.
const int64_t kReportMaxAge = 7 * 24 * 3600;

// Whether two forms of a number can reach the same phone, as a phone may
// give a recipient back in another form than it was typed, and a sender must
// not pass for a contact it cannot be. Only the digits count (a '+', blanks
// and separators do not), and an international prefix "00" counts as a '+'.
// Equal digits are the same number. Two international numbers must be equal
// in full. A national number (without a leading trunk prefix 0 or 8, or as it
// is) matches an international one only when it is exactly the national
// digits after the country code (ITU-T E.164), and another national number
// only on the same national digits; at least 7 of them, so short codes must
// be equal: "0170 12345", "+49 170 12345" and "004917012345" are one number,
// "+44 99 17012345" is not (it merely ends with the same digits). Which
// country a national number is in is not known here: "+44 170 12345" can be
// the same phone as "0170 12345" (for a user in the UK), so it matches.
bool IsSameNumber(const WString& strA, const WString& strB);

// The part a report is about: among the pending parts with its reference
// and number sent at most 7 days before nNow, the one sent last (a later
// index wins a tie). -1 when there is none, or the report was not decoded.
int FindReportedPart(const std::vector<CSentPart>& parts, const CStatusReport& report, int64_t nNow);

// A final status settles the part as delivered or failed; one that says the
// service centre still tries leaves it pending. True when the part changed.
bool ApplyReport(CSentPart& part, const CStatusReport& report);

// What a message's parts say together.
enum class EMessageDelivery {
    DELIVERY_NOT_REQUESTED,  // no part asked for a report: "Sent"
    DELIVERY_PENDING,        // some part has no final report yet
    DELIVERY_DELIVERED,      // every part delivered
    DELIVERY_FAILED,         // some part failed, whatever the others did
    DELIVERY_UNCONFIRMED,    // some part may or may not have been sent: "Not confirmed"
};
struct CDeliverySummary {
    EMessageDelivery state = EMessageDelivery::DELIVERY_NOT_REQUESTED;
    CSmsTime time;           // delivered: the last part's delivery time
    std::string strReason;   // failed: the reason of the first part that failed
};
CDeliverySummary SummarizeDelivery(const std::vector<CSentPart>& parts);
