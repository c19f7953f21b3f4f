#include "sms/PduReader.h"

namespace {

const size_t kMaxAddressDigits = 20;   // TP-OA and TP-RA hold at most 10 octets of digits
const size_t kMaxServiceCentre = 12;   // its type and up to 11 octets of digits
const uint8_t kTypeOfNumberMask = 0x70;
const uint8_t kInternational = 0x10;
const uint8_t kAlphanumeric = 0x50;

// The semi-octets of an address, low half first, up to nDigits of them; an
// F ends the number early (the filler of an odd count).
WString SemiOctets(const std::string& strOctets, size_t nDigits)
{
    static const char kDigits[] = "0123456789*#abc";
    WString str;
    for (size_t i = 0; i < nDigits; ++i) {
        const uint8_t bt = static_cast<uint8_t>(strOctets[i / 2]);
        const uint8_t btDigit = (i % 2) ? bt >> 4 : bt & 0x0F;
        if (btDigit == 0x0F)
            break;
        str += static_cast<WChar>(kDigits[btDigit]);
    }
    return str;
}

WString AddressText(uint8_t btType, const std::string& strDigits, size_t nSemiOctets)
{
    if ((btType & kTypeOfNumberMask) == kAlphanumeric) {
        SeptetString strSeptets;
        UnpackSeptets(strDigits, nSemiOctets * 4 / 7, strSeptets);
        return GsmToText(strSeptets);
    }
    WString str = SemiOctets(strDigits, nSemiOctets);
    if ((btType & kTypeOfNumberMask) == kInternational && !str.empty())
        str.insert(str.begin(), WChar('+'));
    return str;
}

} // namespace

bool HexToOctets(const std::string& strHex, std::string& strOctets)
{
    strOctets.clear();
    if (strHex.size() % 2)
        return false;
    strOctets.reserve(strHex.size() / 2);
    for (size_t i = 0; i < strHex.size(); i += 2) {
        const int nHigh = HexDigitValue(strHex[i]);
        const int nLow = HexDigitValue(strHex[i + 1]);
        if (nHigh < 0 || nLow < 0) {
            strOctets.clear();
            return false;
        }
        strOctets += static_cast<char>(nHigh * 16 + nLow);
    }
    return true;
}

std::string OctetsToHex(const std::string& strOctets)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string strHex;
    strHex.reserve(2 * strOctets.size());
    for (char ch : strOctets) {
        strHex += kHex[static_cast<uint8_t>(ch) >> 4];
        strHex += kHex[static_cast<uint8_t>(ch) & 0x0F];
    }
    return strHex;
}

bool UnpackSeptets(const std::string& strOctets, size_t nSeptets, SeptetString& strSeptets)
{
    strSeptets.clear();
    if (nSeptets > strOctets.size() * 8 / 7)
        return false;
    strSeptets.reserve(nSeptets);
    for (size_t i = 0; i < nSeptets; ++i) {
        const size_t nBit = i * 7;
        unsigned nValue = static_cast<uint8_t>(strOctets[nBit / 8]) >> (nBit % 8);
        if (nBit % 8 > 1)  // the septet runs on into the next octet
            nValue |= static_cast<unsigned>(static_cast<uint8_t>(strOctets[nBit / 8 + 1])) << (8 - nBit % 8);
        strSeptets += static_cast<char>(nValue & 0x7F);
    }
    return true;
}

int GetListedPduType(const std::string& strHex)
{
    std::string strOctets;
    if (!HexToOctets(strHex, strOctets) || strOctets.empty())
        return -1;
    const size_t nFirst = 1 + static_cast<uint8_t>(strOctets[0]);
    if (nFirst >= strOctets.size())
        return -1;
    return static_cast<uint8_t>(strOctets[nFirst]) & 0x03;
}

bool CPduReader::Octet(uint8_t& bt)
{
    if (Remaining() < 1)
        return false;
    bt = static_cast<uint8_t>(m_strOctets[m_nPos++]);
    return true;
}

bool CPduReader::Octets(size_t nCount, std::string& str)
{
    if (Remaining() < nCount)
        return false;
    str = m_strOctets.substr(m_nPos, nCount);
    m_nPos += nCount;
    return true;
}

std::string CPduReader::Rest()
{
    std::string str = m_strOctets.substr(m_nPos);
    m_nPos = m_strOctets.size();
    return str;
}

bool CPduReader::ServiceCentre(CSmsAddress& address)
{
    address = CSmsAddress();
    uint8_t btLength = 0;
    if (!Octet(btLength) || btLength > kMaxServiceCentre)
        return false;
    if (btLength == 0)
        return true;
    std::string strDigits;
    if (!Octet(address.btType) || !Octets(btLength - 1u, strDigits))
        return false;
    address.strText = AddressText(address.btType, strDigits, strDigits.size() * 2);
    return true;
}

bool CPduReader::Address(CSmsAddress& address)
{
    address = CSmsAddress();
    uint8_t btSemiOctets = 0;
    std::string strDigits;
    if (!Octet(btSemiOctets) || btSemiOctets > kMaxAddressDigits || !Octet(address.btType) ||
        !Octets((btSemiOctets + 1u) / 2, strDigits))
        return false;
    address.strText = AddressText(address.btType, strDigits, btSemiOctets);
    return true;
}

bool CPduReader::Timestamp(CSmsTime& time)
{
    std::string str;
    if (!Octets(7, str))
        return false;
    uint8_t abt[7];
    for (size_t i = 0; i < 7; ++i)
        abt[i] = static_cast<uint8_t>(str[i]);
    time = CSmsTime::FromOctets(abt);
    return true;
}
