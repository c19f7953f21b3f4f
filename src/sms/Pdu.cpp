#include "sms/Pdu.h"

#include <utility>

#include "base/Trace.h"

namespace {

const char kHex[] = "0123456789ABCDEF";

void AppendHex(std::string& str, uint8_t bt)
{
    str += kHex[bt >> 4];
    str += kHex[bt & 0x0F];
}

// The digits in swapped semi-octets, an odd count padded with 'F':
// 12345 becomes 2143F5.
std::string SwapSemiOctets(std::string strDigits)
{
    if (strDigits.size() % 2)
        strDigits += 'F';
    for (size_t i = 0; i + 1 < strDigits.size(); i += 2)
        std::swap(strDigits[i], strDigits[i + 1]);
    return strDigits;
}

bool IsSeparator(WChar ch)
{
    return ch == ' ' || ch == '-' || ch == '.' || ch == '(' || ch == ')';
}

} // namespace

bool ParseAddress(const WString& strNumber, CAddress& address)
{
    address.strDigits.clear();
    address.btType = 0x81;
    bool bFirst = true;
    for (WChar ch : strNumber) {
        if (IsSeparator(ch))
            continue;
        if (ch == '+' && bFirst)
            address.btType = 0x91;
        else if (ch >= '0' && ch <= '9')
            address.strDigits += static_cast<char>(ch);
        else
            return false;
        bFirst = false;
    }
    return !address.strDigits.empty() && address.strDigits.size() <= kMaxNumberDigits;
}

std::string PackSeptets(const SeptetString& strSeptets, bool bFill)
{
    std::string strOctets;
    strOctets.reserve(strSeptets.size() * 7 / 8 + 2);
    unsigned nBits = bFill ? 1 : 0;  // bits waiting in dwAcc
    uint32_t dwAcc = 0;
    for (char ch : strSeptets) {
        dwAcc |= static_cast<uint32_t>(ch & 0x7F) << nBits;
        nBits += 7;
        while (nBits >= 8) {
            strOctets += static_cast<char>(dwAcc & 0xFF);
            dwAcc >>= 8;
            nBits -= 8;
        }
    }
    if (nBits > 0)
        strOctets += static_cast<char>(dwAcc & 0xFF);
    return strOctets;
}

namespace {

const uint8_t kDcsGsm7 = 0x00;  // GSM 7-bit default alphabet, no message class
const uint8_t kDcsUcs2 = 0x08;  // UCS-2, no message class

// Everything before the user data: the fields up to TP-UDL and, for a part of
// a concatenated message, the user data header. False when the number cannot
// be encoded.
bool BeginSubmitPdu(const WString& strNumber, std::string& strPdu, uint8_t btDcs, size_t nUdl,
                    uint8_t btCurSms, uint8_t btTotalSms, uint8_t btRef, bool bStatusReport)
{
    strPdu.clear();
    CAddress address;
    if (!ParseAddress(strNumber, address))
        return false;
    const bool bHeader = btTotalSms > 1;
    ZASSERT(btCurSms <= btTotalSms);
    strPdu += "00";                    // the phone's own service centre
    // SMS-SUBMIT with a relative validity period; UDHI with a header, TP-SRR for a report.
    AppendHex(strPdu, static_cast<uint8_t>(0x11 | (bHeader ? 0x40 : 0) | (bStatusReport ? 0x20 : 0)));
    AppendHex(strPdu, btRef);          // TP-MR
    AppendHex(strPdu, static_cast<uint8_t>(address.strDigits.size()));
    AppendHex(strPdu, address.btType);
    strPdu += SwapSemiOctets(address.strDigits);
    strPdu += "00";                    // TP-PID
    AppendHex(strPdu, btDcs);
    strPdu += "AA";                    // TP-VP 4 days
    AppendHex(strPdu, static_cast<uint8_t>(nUdl));
    if (bHeader) {
        strPdu += "050003";            // concatenated SMS, 8-bit reference
        AppendHex(strPdu, btRef);
        AppendHex(strPdu, btTotalSms);
        AppendHex(strPdu, btCurSms);
    }
    return true;
}

} // namespace

bool BuildSubmitPdu(const SeptetString& strSeptets, const WString& strNumber, std::string& strPdu,
                    uint8_t btCurSms, uint8_t btTotalSms, uint8_t btRef, bool bStatusReport)
{
    const bool bHeader = btTotalSms > 1;
    // The header and its fill bit take 7 septets of the user data length.
    const size_t nSeptets = strSeptets.size() + (bHeader ? 7 : 0);
    if (!BeginSubmitPdu(strNumber, strPdu, kDcsGsm7, nSeptets, btCurSms, btTotalSms, btRef, bStatusReport))
        return false;
    const std::string strOctets = PackSeptets(strSeptets, bHeader);
    strPdu.reserve(strPdu.size() + 2 * strOctets.size());
    for (char bt : strOctets)
        AppendHex(strPdu, static_cast<uint8_t>(bt));
    TRACE_PAIR("%s\n", strPdu.c_str());
    return true;
}

bool BuildUcs2SubmitPdu(const WString& strUnits, const WString& strNumber, std::string& strPdu,
                        uint8_t btCurSms, uint8_t btTotalSms, uint8_t btRef, bool bStatusReport)
{
    // The user data length counts octets: two per code unit, six of header.
    const size_t nOctets = 2 * strUnits.size() + (btTotalSms > 1 ? 6 : 0);
    if (!BeginSubmitPdu(strNumber, strPdu, kDcsUcs2, nOctets, btCurSms, btTotalSms, btRef, bStatusReport))
        return false;
    strPdu.reserve(strPdu.size() + 4 * strUnits.size());
    for (WChar ch : strUnits) {
        const uint16_t wUnit = static_cast<uint16_t>(ch);
        AppendHex(strPdu, static_cast<uint8_t>(wUnit >> 8));
        AppendHex(strPdu, static_cast<uint8_t>(wUnit & 0xFF));
    }
    TRACE_PAIR("%s\n", strPdu.c_str());
    return true;
}
