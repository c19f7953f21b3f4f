// The phone's own error reports: "+CMS ERROR: <n>" for the SMS commands
// (3GPP TS 27.005) and "+CME ERROR: <n>" for the others (27.007), with the
// meaning of the codes phones really send, and which of them only say "not
// now". A phone set up for verbose reports writes a text instead of <n>.
#pragma once

#include <string>

struct CPhoneError {
    enum class EKind { CMS, CME };
    EKind eKind = EKind::CMS;
    bool bNumeric = false;
    unsigned nCode = 0;
    std::string strText;  // after the colon, trimmed: "38", or a verbose text
};

// The first "+CMS ERROR:" or "+CME ERROR:" line of a reply.
bool FindPhoneError(const std::string& strReply, CPhoneError& error);

// The short meaning of a numeric code, in lower case ("network out of
// order"); null for a code the table does not hold.
const char* GetPhoneErrorMeaning(CPhoneError::EKind eKind, unsigned nCode);

// The network, the SIM or the phone is busy for a moment, and the message
// cannot have left the phone: the same part may be offered again a little
// later (CMS 38, 41, 42, 47, 331, 314; CME 14, 515).
bool IsTransient(const CPhoneError& error);
// The SIM or the phone is not ready yet (CMS 314; CME 14, 515): any command
// may be given again a little later.
bool IsSimNotReady(const CPhoneError& error);
// The SIM wants its PIN (CMS 311, CME 11).
bool IsPinRequired(const CPhoneError& error);
// The answer to a PDU that does not say the message stayed in the phone
// (the network's time-out: CMS 332, CME 31, or its words in any case): the
// network may hold it already.
bool MayHaveBeenSent(const CPhoneError& error);

// Why the phone refused, for the status line: "network out of order (+CMS
// ERROR: 38)", the report itself for a code without a meaning, a verbose
// report's text; empty when the reply holds no report (a bare ERROR).
std::string DescribePhoneError(const std::string& strReply);
