// SMS-DELIVER, a message the phone received (3GPP TS 23.040, data coding of
// 3GPP TS 23.038), decoded from the hex text a phone lists in PDU mode.
#pragma once

#include <cstdint>
#include <string>

#include "base/Text.h"
#include "sms/SmsTime.h"

enum class EAlphabet {
    ALPHABET_GSM7,  // GSM 7-bit default alphabet with its extension table
    ALPHABET_8BIT,  // data, shown as hex
    ALPHABET_UCS2,  // UTF-16 big-endian
};
// "gsm7", "8bit", "ucs2", the names the inbox file uses.
const char* GetAlphabetName(EAlphabet alphabet);
bool ParseAlphabetName(const std::string& strName, EAlphabet& alphabet);

// What the data coding scheme (TP-DCS) says about the user data.
struct CDataCoding {
    EAlphabet alphabet = EAlphabet::ALPHABET_GSM7;
    int nClass = -1;           // message class 0-3; -1 without one
    bool bCompressed = false;  // compressed text is not expanded: shown as hex
    std::string strNote;       // what a reader should know; empty for plain text
};
// Reserved coding groups and the reserved alphabet are read as the GSM
// default alphabet, as receiving phones must.
CDataCoding ReadDataCoding(uint8_t btDcs);

// The concatenation header element (IEI 0x00 with an 8-bit reference,
// 0x08 with a 16-bit one).
struct CConcatInfo {
    bool bPresent = false;
    bool b16Bit = false;
    unsigned nRef = 0;
    unsigned nPart = 1;   // 1 to nTotal
    unsigned nTotal = 1;
};

struct CDeliverSms {
    std::string strHex;      // the PDU as listed (upper case when it is hex), always kept
    bool bDecoded = false;   // false: only strHex and strNote are to be relied on
    std::string strNote;     // why it could not be decoded, or what is unusual; "; " between notes

    WString strSmsc;         // the service centre, when the phone lists it
    WString strSender;
    uint8_t btSenderType = 0;
    uint8_t btPid = 0;
    uint8_t btDcs = 0;
    CDataCoding coding;
    CSmsTime time;           // TP-SCTS; not valid when the PDU holds no valid time
    CConcatInfo concat;
    // GSM 7-bit and UCS-2: the text (UCS-2 code units exactly as sent, so a
    // surrogate pair split across parts joins again); 8-bit and compressed
    // data: its octets in hex.
    WString strText;
};

// Never fails and never reads past the data: a PDU that is not hex, too
// short for its fields, or whose lengths overrun it comes back with
// bDecoded false and a note. An unknown coding, a malformed header element
// or an invalid time stamp is noted but does not stop the decoding.
CDeliverSms DecodeDeliverPdu(const std::string& strHex);
