// SMS-STATUS-REPORT, the service centre's word on a message that asked for
// one (3GPP TS 23.040), decoded from the hex text a phone lists in PDU mode.
#pragma once

#include <cstdint>
#include <string>

#include "base/Text.h"
#include "sms/SmsTime.h"

// The four kinds of TP-ST.
enum class EReportClass {
    REPORT_DELIVERED,  // the transaction completed: received, forwarded or replaced
    REPORT_TRYING,     // a temporary error; the service centre still tries
    REPORT_FAILED,     // a permanent error; it stopped trying
    REPORT_GAVE_UP,    // a temporary error; it stopped trying all the same
};
// Values with the high bit set are reserved; they are taken for a permanent
// error, the one reading that never shows a message as delivered or
// keeps it waiting for ever.
EReportClass ClassifyStatus(uint8_t btStatus);
// Whether the service centre will say more about the message.
inline bool IsFinalStatus(uint8_t btStatus)
{
    return ClassifyStatus(btStatus) != EReportClass::REPORT_TRYING;
}
// A short reason for the defined values ("recipient busy", "validity
// period expired"); "status 0x4C" for reserved and service-centre values.
std::string GetStatusReason(uint8_t btStatus);

struct CStatusReport {
    std::string strHex;     // the PDU as listed (upper case when it is hex), always kept
    bool bDecoded = false;  // false: only strHex and strNote are to be relied on
    std::string strNote;

    WString strSmsc;
    unsigned nMr = 0;        // TP-MR of the message reported on
    WString strRecipient;    // TP-RA, '+' first when international
    uint8_t btRecipientType = 0;
    CSmsTime scts;           // when the service centre took the message
    CSmsTime discharge;      // TP-DT: when it was delivered, or the status last changed
    uint8_t btStatus = 0;    // TP-ST
};

// Never fails and never reads past the data; what follows TP-ST (the
// optional parameters) is not needed and not read.
CStatusReport DecodeStatusReport(const std::string& strHex);
