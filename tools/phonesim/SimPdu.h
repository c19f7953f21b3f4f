// What the simulated phone understands of a PDU it is given: the length check
// of "AT+CMGS=<n>" and an SMS-SUBMIT decoder (3GPP TS 23.040) for its log and
// its one line per received message. Independent of the program's encoder.
#pragma once

#include <string>

struct CSubmitInfo {
    unsigned nTpduOctets = 0;  // octets after the service-centre field
    std::string strNumber;     // destination, '+' first when international
    unsigned nMr = 0;          // TP-MR as sent
    unsigned nDcs = 0;
    bool bConcatenated = false;
    unsigned nRef = 0, nPart = 1, nParts = 1;
    std::string strText;       // UTF-8; empty for an alphabet it does not decode
    std::string strAlphabet;   // "gsm7", "ucs2" or "8bit"
};

// Counts the TPDU octets of a hex PDU (the service-centre field is not
// counted). False when the text is not an even number of hex digits or the
// service-centre field overruns it.
bool GetTpduOctets(const std::string& strHex, unsigned& nOctets);

// Decodes an SMS-SUBMIT; false with a reason when it is not a well-formed one.
bool DecodeSubmit(const std::string& strHex, CSubmitInfo& info, std::string& strError);

// GSM 7-bit default alphabet (with the extension table after an escape) to UTF-8.
std::string GsmToUtf8(const std::string& strSeptets);
