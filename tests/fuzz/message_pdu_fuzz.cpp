// The message and its PDUs on arbitrary text and numbers. Every text the
// window would send is cut into parts that the simulated phone's decoder (a
// decoder written apart from the program's encoder) reads back: lengths
// that match "AT+CMGS=", the user data length that fits the octets, the
// number, the part numbers and reference, and texts that join back to what
// was typed. The length counter names as many parts as are sent.
//
// Input: the first byte holds flags (bit 0: ask for delivery reports;
// bits 1-2: which number); then UTF-16LE units of the text.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "SimPdu.h"
#include "sms/Msg.h"
#include "sms/Pdu.h"
#include "app/SendInput.h"

namespace {

// The text as the phone shows it: the grave accent went as the apostrophe.
std::string ExpectedText(const CMsg& msg)
{
    if (msg.IsUnicode())
        return WideToUtf8(TextToUcs2(msg.m_strText));
    WString str = msg.m_strText;
    for (WChar& ch : str)
        ch = ch == '`' ? '\'' : ch;
    return WideToUtf8(str);
}

std::string ExpectedNumber(const WString& strNumber)
{
    CAddress address;
    Check(ParseAddress(strNumber, address));
    return (address.btType == 0x91 ? "+" : "") + address.strDigits;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t btFlags = in.Byte();
    const WChar* const kNumbers[] = {WSTR("0123456789"), WSTR("+44 (20) 7946-0000"), WSTR("12345678901234567890"),
                                     WSTR("1")};
    const WString strNumber = kNumbers[(btFlags >> 1) & 3];
    const WString strText = in.Units();

    std::string strError;
    if (!CheckText(strText, strError)) {
        Check(strText.find(WChar(0)) != WString::npos || CountTextParts(strText) > kMaxParts);
        return 0;
    }
    CMsg msg(strText, WString(), strNumber);
    msg.m_bStatusReport = (btFlags & 1) != 0;
    const unsigned nTotal = msg.GetTotalParts();
    const CCharCount count = CountChars(strText);
    Check(count.nPart == nTotal && count.bUnicode == msg.IsUnicode());
    Check(count.nLeft <= (nTotal == 1 ? (msg.IsUnicode() ? kSingleUnits : kSingleSeptets)
                                      : (msg.IsUnicode() ? kPartUnits : kPartSeptets)));

    std::string strJoined;
    unsigned nPart = 0;
    do {
        ++nPart;
        std::string strPdu;
        Check(msg.BuildPdu(strPdu));
        CSubmitInfo info;
        std::string strWhy;
        Check(DecodeSubmit(strPdu, info, strWhy));
        unsigned nOctets = 0;
        Check(GetTpduOctets(strPdu, nOctets) && nOctets == GetTpduLength(strPdu) && nOctets == info.nTpduOctets);
        Check(info.strNumber == ExpectedNumber(strNumber));
        Check(info.strAlphabet == (msg.IsUnicode() ? "ucs2" : "gsm7"));
        Check(info.bConcatenated == (nTotal > 1));
        if (nTotal > 1)
            Check(info.nParts == nTotal && info.nPart == nPart && info.nRef == (msg.m_dwRef & 0xFF));
        strJoined += info.strText;
        msg.NextPart();
    } while (!msg.IsComplete());
    Check(nPart == nTotal);
    Check(strJoined == ExpectedText(msg));
    return 0;
}
