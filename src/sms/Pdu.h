// SMS-SUBMIT PDU in the hexadecimal text form of PDU mode (3GPP TS 27.005),
// TPDU layout of 3GPP TS 23.040.
#pragma once

#include <cstdint>
#include <string>

#include "base/Text.h"
#include "sms/GsmAlphabet.h"

const unsigned kMaxNumberDigits = 20;

// A recipient number as it goes into the destination address field.
struct CAddress {
    std::string strDigits;  // 1 to 20 of the digits 0-9
    uint8_t btType;         // 0x91 international (typed with '+'), else 0x81
};

// Leaves out the visual separators (space, '-', '.', '(' and ')') and a
// leading '+'. False when what remains is empty, holds anything but the
// digits 0-9, or is longer than 20 digits: such a number cannot be sent.
bool ParseAddress(const WString& strNumber, CAddress& address);
inline bool IsValidNumber(const WString& strNumber)
{
    CAddress address;
    return ParseAddress(strNumber, address);
}

// Packs septets into octets, after one fill bit when bFill (the bit that
// aligns the user data behind the 6-octet concatenation header).
std::string PackSeptets(const SeptetString& strSeptets, bool bFill);

// Builds one part; a concatenation header is written when btTotalSms > 1.
// bStatusReport sets TP-SRR, asking the service centre for a delivery report
// (first octet 0x31, 0x71 with a header); nothing else changes.
// False, with strPdu empty, when the number cannot be encoded.
bool BuildSubmitPdu(const SeptetString& strSeptets, const WString& strNumber, std::string& strPdu,
                    uint8_t btCurSms, uint8_t btTotalSms, uint8_t btRef, bool bStatusReport = false);

// Builds one part of a message sent in UCS-2: the UTF-16 code units go
// big-endian, as they are; otherwise as BuildSubmitPdu.
bool BuildUcs2SubmitPdu(const WString& strUnits, const WString& strNumber, std::string& strPdu,
                        uint8_t btCurSms, uint8_t btTotalSms, uint8_t btRef, bool bStatusReport = false);

// The length for "AT+CMGS=": the octets of the PDU less the SMSC length octet.
inline unsigned GetTpduLength(const std::string& strPdu)
{
    return static_cast<unsigned>(strPdu.size() / 2) - 1;
}
