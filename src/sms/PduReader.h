// Reading a PDU the phone received (3GPP TS 23.040): the octets of its hex
// text and the fields that SMS-DELIVER and SMS-STATUS-REPORT share. Every
// read is checked against the end of the data, so a truncated PDU or one
// whose lengths lie stops the decoder instead of reading past the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Text.h"
#include "sms/GsmAlphabet.h"
#include "sms/SmsTime.h"

// Octets of an even number of hex digits (either case); false for anything
// else, blanks included.
bool HexToOctets(const std::string& strHex, std::string& strOctets);
// Upper-case hex digits, two per octet.
std::string OctetsToHex(const std::string& strOctets);

// The first nSeptets septets packed from bit 0 of the octets on (the
// reverse of PackSeptets); false when the octets hold fewer.
bool UnpackSeptets(const std::string& strOctets, size_t nSeptets, SeptetString& strSeptets);

// TP-MTI of the TPDU after the service-centre field of a listed PDU: 0
// SMS-DELIVER, 1 SMS-SUBMIT (a message the phone stores to send), 2
// SMS-STATUS-REPORT, 3 reserved (read as SMS-DELIVER); -1 when the PDU is
// not hex or too short to tell.
int GetListedPduType(const std::string& strHex);

// An originating, recipient or service-centre address.
struct CSmsAddress {
    // International numbers with '+' in front; the semi-octets A-E as
    // '*', '#', 'a', 'b', 'c'; an alphanumeric address (type of number 101)
    // as its GSM 7-bit text.
    WString strText;
    uint8_t btType = 0;
};

class CPduReader {
public:
    explicit CPduReader(const std::string& strOctets) : m_strOctets(strOctets) {}

    size_t Remaining() const { return m_strOctets.size() - m_nPos; }

    bool Octet(uint8_t& bt);
    bool Octets(size_t nCount, std::string& str);
    // What is left, all of it.
    std::string Rest();

    // The service-centre field that a listed PDU begins with: its length in
    // octets (0: none), the type of address and the digits.
    bool ServiceCentre(CSmsAddress& address);
    // TP-OA or TP-RA: the length in semi-octets (at most 20), type, digits.
    bool Address(CSmsAddress& address);
    // Seven octets; the time is not valid when they hold no valid time.
    bool Timestamp(CSmsTime& time);

private:
    const std::string m_strOctets;
    size_t m_nPos = 0;
};
