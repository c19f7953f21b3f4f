#include "sms/DeliverPdu.h"

#include <cstdio>

#include "sms/GsmAlphabet.h"
#include "sms/PduReader.h"

namespace {

const uint8_t kUdhi = 0x40;
const uint8_t kIeConcat8 = 0x00;
const uint8_t kIeConcat16 = 0x08;

void AddNote(std::string& strNotes, const std::string& strNote)
{
    if (!strNotes.empty())
        strNotes += "; ";
    strNotes += strNote;
}

std::string HexByte(uint8_t bt)
{
    char sz[8];
    std::snprintf(sz, sizeof(sz), "0x%02X", bt);
    return sz;
}

// The concatenation element of a user data header; other elements (ports,
// special messages, national tables) are passed over.
void ReadHeader(const std::string& strHeader, CDeliverSms& sms)
{
    size_t nPos = 0;
    while (nPos < strHeader.size()) {
        if (nPos + 2 > strHeader.size() || nPos + 2 + static_cast<uint8_t>(strHeader[nPos + 1]) > strHeader.size()) {
            AddNote(sms.strNote, "malformed user data header");
            return;
        }
        const uint8_t btIei = static_cast<uint8_t>(strHeader[nPos]);
        const size_t nLength = static_cast<uint8_t>(strHeader[nPos + 1]);
        const std::string strData = strHeader.substr(nPos + 2, nLength);
        nPos += 2 + nLength;
        if ((btIei != kIeConcat8 && btIei != kIeConcat16) || sms.concat.bPresent)
            continue;
        const bool b16Bit = btIei == kIeConcat16;
        if (nLength != (b16Bit ? 4u : 3u)) {
            AddNote(sms.strNote, "malformed concatenation header");
            continue;
        }
        CConcatInfo concat;
        concat.b16Bit = b16Bit;
        concat.nRef = static_cast<uint8_t>(strData[0]);
        if (b16Bit)
            concat.nRef = concat.nRef * 256 + static_cast<uint8_t>(strData[1]);
        concat.nTotal = static_cast<uint8_t>(strData[nLength - 2]);
        concat.nPart = static_cast<uint8_t>(strData[nLength - 1]);
        if (concat.nTotal == 0 || concat.nPart == 0 || concat.nPart > concat.nTotal) {
            AddNote(sms.strNote, "concatenation header names part " + std::to_string(concat.nPart) + " of " +
                                     std::to_string(concat.nTotal) + "; read as a message of its own");
            continue;
        }
        concat.bPresent = true;
        sms.concat = concat;
    }
}

WString Ucs2Text(const std::string& strOctets, std::string& strNotes)
{
    WString str;
    str.reserve(strOctets.size() / 2);
    for (size_t i = 0; i + 1 < strOctets.size(); i += 2)
        str += static_cast<WChar>(static_cast<uint8_t>(strOctets[i]) * 256 + static_cast<uint8_t>(strOctets[i + 1]));
    if (strOctets.size() % 2)
        AddNote(strNotes, "odd last octet of UCS-2 text left out");
    return str;
}

// The user data after TP-UDL: header and text. False when the lengths
// overrun the data.
bool ReadUserData(uint8_t btUdl, const std::string& strData, uint8_t btFirst, CDeliverSms& sms)
{
    const bool bSeptets = sms.coding.alphabet == EAlphabet::ALPHABET_GSM7 && !sms.coding.bCompressed;
    const size_t nOctets = bSeptets ? (btUdl * 7u + 7) / 8 : btUdl;
    if (strData.size() < nOctets) {
        AddNote(sms.strNote, "user data shorter than its length");
        return false;
    }
    const std::string strUserData = strData.substr(0, nOctets);
    size_t nHeaderOctets = 0;
    if (btFirst & kUdhi) {
        nHeaderOctets = strUserData.empty() ? 1 : 1u + static_cast<uint8_t>(strUserData[0]);
        const size_t nHeaderUnits = bSeptets ? (nHeaderOctets * 8 + 6) / 7 : nHeaderOctets;
        if (nHeaderOctets > strUserData.size() || nHeaderUnits > btUdl) {
            AddNote(sms.strNote, "user data header longer than the user data");
            return false;
        }
        ReadHeader(strUserData.substr(1, nHeaderOctets - 1), sms);
    }
    if (bSeptets) {
        // The header and the fill bits after it take whole septets.
        SeptetString strSeptets;
        UnpackSeptets(strUserData, btUdl, strSeptets);
        sms.strText = GsmToText(strSeptets.substr((nHeaderOctets * 8 + 6) / 7));
    } else if (sms.coding.alphabet == EAlphabet::ALPHABET_UCS2 && !sms.coding.bCompressed) {
        sms.strText = Ucs2Text(strUserData.substr(nHeaderOctets), sms.strNote);
    } else {
        sms.strText = Utf8ToWide(OctetsToHex(strUserData.substr(nHeaderOctets)));
    }
    return true;
}

bool Decode(const std::string& strOctets, CDeliverSms& sms)
{
    CPduReader reader(strOctets);
    CSmsAddress smsc;
    if (!reader.ServiceCentre(smsc)) {
        AddNote(sms.strNote, "service-centre address malformed or cut off");
        return false;
    }
    sms.strSmsc = smsc.strText;
    uint8_t btFirst = 0;
    if (!reader.Octet(btFirst)) {
        AddNote(sms.strNote, "no message after the service-centre address");
        return false;
    }
    const int nType = btFirst & 0x03;
    if (nType == 1 || nType == 2) {
        AddNote(sms.strNote, nType == 1 ? "an outgoing message, not a received one" : "a status report, not a message");
        return false;
    }
    CSmsAddress sender;
    if (!reader.Address(sender)) {
        AddNote(sms.strNote, "sender address malformed or cut off");
        return false;
    }
    sms.strSender = sender.strText;
    sms.btSenderType = sender.btType;
    uint8_t btUdl = 0;
    if (!reader.Octet(sms.btPid) || !reader.Octet(sms.btDcs) || !reader.Timestamp(sms.time) || !reader.Octet(btUdl)) {
        AddNote(sms.strNote, "PDU ends before the user data");
        return false;
    }
    sms.coding = ReadDataCoding(sms.btDcs);
    if (!sms.coding.strNote.empty())
        AddNote(sms.strNote, sms.coding.strNote);
    if (!sms.time.bValid)
        AddNote(sms.strNote, "invalid time stamp");
    return ReadUserData(btUdl, reader.Rest(), btFirst, sms);
}

} // namespace

const char* GetAlphabetName(EAlphabet alphabet)
{
    switch (alphabet) {
    case EAlphabet::ALPHABET_8BIT: return "8bit";
    case EAlphabet::ALPHABET_UCS2: return "ucs2";
    default: return "gsm7";
    }
}

bool ParseAlphabetName(const std::string& strName, EAlphabet& alphabet)
{
    for (EAlphabet a : {EAlphabet::ALPHABET_GSM7, EAlphabet::ALPHABET_8BIT, EAlphabet::ALPHABET_UCS2}) {
        if (strName == GetAlphabetName(a)) {
            alphabet = a;
            return true;
        }
    }
    return false;
}

CDataCoding ReadDataCoding(uint8_t btDcs)
{
    CDataCoding coding;
    const uint8_t btGroup = btDcs >> 4;
    if (btGroup <= 0x07) {  // general data coding, also when marked for automatic deletion
        coding.bCompressed = (btDcs & 0x20) != 0;
        if (btDcs & 0x10)
            coding.nClass = btDcs & 0x03;
        switch ((btDcs >> 2) & 0x03) {
        case 1: coding.alphabet = EAlphabet::ALPHABET_8BIT; break;
        case 2: coding.alphabet = EAlphabet::ALPHABET_UCS2; break;
        case 3: coding.strNote = "reserved alphabet in data coding " + HexByte(btDcs) + ", read as GSM 7-bit"; break;
        default: break;
        }
        if (coding.bCompressed) {
            coding.alphabet = EAlphabet::ALPHABET_8BIT;
            coding.strNote = "compressed text, shown as hex";
        }
    } else if (btGroup <= 0x0B) {
        coding.strNote = "unknown data coding " + HexByte(btDcs) + ", read as GSM 7-bit";
    } else if (btGroup <= 0x0E) {
        coding.alphabet = btGroup == 0x0E ? EAlphabet::ALPHABET_UCS2 : EAlphabet::ALPHABET_GSM7;
        coding.strNote = "message waiting indication";
    } else {
        coding.alphabet = (btDcs & 0x04) ? EAlphabet::ALPHABET_8BIT : EAlphabet::ALPHABET_GSM7;
        coding.nClass = btDcs & 0x03;
    }
    if (coding.nClass == 0) {
        if (!coding.strNote.empty())
            coding.strNote += "; ";
        coding.strNote += "class 0 (flash) message";
    }
    return coding;
}

CDeliverSms DecodeDeliverPdu(const std::string& strHex)
{
    CDeliverSms sms;
    sms.strHex = strHex;
    std::string strOctets;
    if (!HexToOctets(strHex, strOctets)) {
        AddNote(sms.strNote, "not a PDU in hex");
        return sms;
    }
    sms.strHex = OctetsToHex(strOctets);
    sms.bDecoded = Decode(strOctets, sms);
    return sms;
}
