// Fuzz target of the SMS-DELIVER decoder, the joining of parts and the inbox
// file written and read back.
//
// Input: the first byte chooses the form of the rest: even, the PDU's hex
// text as the phone would list it (any bytes); odd, the PDU's octets, turned
// into hex here so the mutations reach deep into the fields. With bit 1 set
// the inbox file is written and read back too.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sms/DeliverPdu.h"
#include "sms/GsmAlphabet.h"
#include "sms/InboxFile.h"
#include "sms/PduReader.h"

namespace {

void Check(bool bOk)
{
    if (!bOk)
        std::abort();
}

bool IsUpperHex(const std::string& str)
{
    std::string strOctets;
    return HexToOctets(str, strOctets) && OctetsToHex(strOctets) == str;
}

// A decoded text goes back into its encoding.
void CheckText(const CDeliverSms& sms)
{
    if (sms.coding.alphabet == EAlphabet::ALPHABET_8BIT) {
        Check(IsUpperHex(WideToUtf8(sms.strText)));
    } else if (sms.coding.alphabet == EAlphabet::ALPHABET_UCS2) {
        Check(sms.strText.size() <= 128);  // at most 255 octets of user data
    } else if (sms.strText.find(WChar('\f')) == WString::npos) {  // the page break is sent as '?'
        Check(GsmToText(TextToGsm(sms.strText)) == sms.strText);
        Check(sms.strText.size() <= 255);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string strHex(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        strHex = OctetsToHex(strHex);
    const CDeliverSms sms = DecodeDeliverPdu(strHex);
    Check(sms.strHex.size() == strHex.size());  // kept, whatever it is
    Check(sms.bDecoded || !sms.strNote.empty());
    if (sms.bDecoded) {
        CheckText(sms);
        Check(!sms.concat.bPresent || (sms.concat.nPart >= 1 && sms.concat.nPart <= sms.concat.nTotal));
    }
    // Every PDU is kept: once as a message, the second time as the duplicate it is.
    CInbox inbox;
    Check(inbox.Add(sms) == CInbox::EAdded::ADDED_NEW);
    Check(inbox.Add(sms) == CInbox::EAdded::ADDED_DUPLICATE);
    Check(inbox.GetMessages().size() == 1 && inbox.GetMessages()[0].parts.size() == 1);
    inbox.GetMessages()[0].GetText();
    if (!(data[0] & 2))
        return 0;
    // What the file holds reads back the same.
    const std::string strJson = FormatInbox(inbox);
    CInbox restored;
    std::string strError;
    Check(ParseInbox(strJson, restored, strError));
    Check(FormatInbox(restored) == strJson);
    return 0;
}
