// What the simulated phone holds for the program to read, as a phone lists
// it in PDU mode (service-centre field first): SMS-DELIVER PDUs of messages
// it received and SMS-STATUS-REPORT PDUs about messages it sent (3GPP TS
// 23.040). Built on the simulator's own alphabet, independent of the
// program's decoders.
#pragma once

#include <string>
#include <vector>

struct CSimTime {
    int nYear = 2024;  // 2000-2099
    int nMonth = 1;
    int nDay = 1;
    int nHour = 0;
    int nMinute = 0;
    int nSecond = 0;
    int nZoneQuarters = 0;  // offset from UTC in quarters of an hour
};
// "2024-05-17T14:03:09+02:00"; false for anything else.
bool ParseSimTime(const std::string& str, CSimTime& time);

// One message the phone received.
struct CIncomingPlan {
    // Digits, with '+' first for an international number; anything else is
    // an alphanumeric sender (at most 11 characters of the GSM alphabet).
    std::string strSender = "+4917012345";
    CSimTime time;
    std::string strText;               // UTF-8; with "8bit" its bytes are the data
    std::string strEncoding = "gsm7";  // "gsm7", "ucs2" or "8bit"
    unsigned nRef = 1;                 // of a message in parts
    bool b16BitRef = false;
    // The parts the phone holds, in its order (1 is the first); empty: all,
    // in order. Leaving one out makes a message with a part missing.
    std::vector<unsigned> parts;
    std::string strSmsc = "+491710760000";
    std::string strStorage = "SM";
    bool bRead = false;
};

// A text too long for one SMS goes in parts: 153 septets, 67 UCS-2 code units
// or 134 octets each (one less with a 16-bit reference), never splitting an
// extension character or a surrogate pair. False with the reason for a GSM
// text with a character outside the alphabet, a sender that cannot be
// encoded, a part number the message lacks, or more than 255 parts.
bool EncodeIncoming(const CIncomingPlan& plan, std::vector<std::string>& pdus, std::string& strError);

// A status report about a submitted message.
struct CReportPlan {
    unsigned nMr = 0;
    std::string strRecipient;  // as the phone received it in the SMS-SUBMIT
    CSimTime scts;             // when the network took the message
    CSimTime discharge;        // when it was delivered, or failed
    unsigned nStatus = 0;      // TP-ST: 0 delivered, or the failure chosen
    std::string strSmsc = "+491710760000";
};
std::string EncodeStatusReport(const CReportPlan& plan);
