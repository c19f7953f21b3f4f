#include "SimDeliver.h"

#include <cstdio>
#include <map>

#include "SimPdu.h"

namespace {

const size_t kMaxParts = 255;
const size_t kMaxAlphanumericSeptets = 11;
const size_t kMaxDigits = 20;

// UTF-8 characters to septets, the reverse of the simulator's decoder.
class CGsmEncoder {
public:
    CGsmEncoder()
    {
        for (int c = 0; c < 0x80; ++c)
            if (c != 0x1B)
                m_septets[GsmToUtf8(std::string(1, static_cast<char>(c)))] = std::string(1, static_cast<char>(c));
        for (int c = 0; c < 0x80; ++c) {
            const std::string strEscaped = std::string("\x1B") + static_cast<char>(c);
            const std::string strChar = GsmToUtf8(strEscaped);
            if (strChar != " ")  // a code the extension table lacks
                m_septets.emplace(strChar, strEscaped);
        }
    }

    // The septets of one UTF-8 character; false when the alphabet lacks it.
    bool Find(const std::string& strChar, std::string& strSeptets) const
    {
        const auto it = m_septets.find(strChar);
        if (it == m_septets.end())
            return false;
        strSeptets = it->second;
        return true;
    }

private:
    std::map<std::string, std::string> m_septets;
};

// The UTF-8 text cut into characters; false when it is not UTF-8.
bool SplitUtf8(const std::string& str, std::vector<std::string>& chars, std::vector<unsigned>& codePoints)
{
    for (size_t i = 0; i < str.size();) {
        const unsigned char lead = static_cast<unsigned char>(str[i]);
        const size_t n = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
        if (n == 0 || i + n > str.size())
            return false;
        unsigned cp = n == 1 ? lead : lead & (0x7F >> n);
        for (size_t k = 1; k < n; ++k) {
            const unsigned char c = static_cast<unsigned char>(str[i + k]);
            if ((c & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        chars.push_back(str.substr(i, n));
        codePoints.push_back(cp);
        i += n;
    }
    return true;
}

// The text as units that must stay together in one part (an extension
// character's two septets, a surrogate pair's four octets), and each unit's
// septets or octets.
bool EncodeUnits(const CIncomingPlan& plan, std::vector<std::string>& units, std::string& strError)
{
    if (plan.strEncoding == "8bit") {
        for (char ch : plan.strText)
            units.push_back(std::string(1, ch));
        return true;
    }
    std::vector<std::string> chars;
    std::vector<unsigned> codePoints;
    if (!SplitUtf8(plan.strText, chars, codePoints)) {
        strError = "the text is not UTF-8";
        return false;
    }
    static const CGsmEncoder encoder;
    for (size_t i = 0; i < chars.size(); ++i) {
        std::string strUnit;
        if (plan.strEncoding == "gsm7") {
            if (!encoder.Find(chars[i], strUnit)) {
                strError = "\"" + chars[i] + "\" is not in the GSM alphabet";
                return false;
            }
        } else if (plan.strEncoding == "ucs2") {
            unsigned cp = codePoints[i];
            if (cp >= 0x10000) {
                cp -= 0x10000;
                const unsigned nHigh = 0xD800 + (cp >> 10);
                strUnit += static_cast<char>(nHigh >> 8);
                strUnit += static_cast<char>(nHigh & 0xFF);
                cp = 0xDC00 + (cp & 0x3FF);
            }
            strUnit += static_cast<char>(cp >> 8);
            strUnit += static_cast<char>(cp & 0xFF);
        } else {
            strError = "unknown encoding \"" + plan.strEncoding + "\" (gsm7, ucs2, 8bit)";
            return false;
        }
        units.push_back(strUnit);
    }
    return true;
}

// Capacities in septets (GSM) or octets: one SMS, and a part behind the header.
void GetCapacity(const CIncomingPlan& plan, size_t& nSingle, size_t& nPart)
{
    const bool bGsm = plan.strEncoding == "gsm7";
    nSingle = bGsm ? 160 : 140;
    if (bGsm)
        nPart = plan.b16BitRef ? 152 : 153;
    else if (plan.strEncoding == "ucs2")
        nPart = plan.b16BitRef ? 132 : 134;
    else
        nPart = plan.b16BitRef ? 133 : 134;
}

std::vector<std::string> SplitParts(const CIncomingPlan& plan, const std::vector<std::string>& units)
{
    size_t nSingle = 0;
    size_t nPart = 0;
    GetCapacity(plan, nSingle, nPart);
    size_t nTotal = 0;
    for (const std::string& unit : units)
        nTotal += unit.size();
    if (nTotal <= nSingle) {
        std::string strAll;
        for (const std::string& unit : units)
            strAll += unit;
        return {strAll};
    }
    std::vector<std::string> parts(1);
    for (const std::string& unit : units) {
        if (parts.back().size() + unit.size() > nPart)
            parts.emplace_back();
        parts.back() += unit;
    }
    return parts;
}

void AppendHex(std::string& str, unsigned bt)
{
    char sz[4];
    std::snprintf(sz, sizeof(sz), "%02X", bt & 0xFF);
    str += sz;
}

// Septets packed after nFill bits.
std::string Pack(const std::string& strSeptets, unsigned nFill)
{
    std::string strOctets;
    unsigned nBits = nFill;
    unsigned nAcc = 0;
    for (char ch : strSeptets) {
        nAcc |= static_cast<unsigned>(ch & 0x7F) << nBits;
        nBits += 7;
        while (nBits >= 8) {
            strOctets += static_cast<char>(nAcc & 0xFF);
            nAcc >>= 8;
            nBits -= 8;
        }
    }
    if (nBits > 0)
        strOctets += static_cast<char>(nAcc & 0xFF);
    return strOctets;
}

std::string Hex(const std::string& strOctets)
{
    std::string str;
    for (char ch : strOctets)
        AppendHex(str, static_cast<unsigned char>(ch));
    return str;
}

bool IsNumber(const std::string& str, std::string& strDigits, unsigned& nType)
{
    const bool bPlus = !str.empty() && str[0] == '+';
    strDigits = str.substr(bPlus ? 1 : 0);
    nType = bPlus ? 0x91 : 0x81;
    if (strDigits.empty() || strDigits.size() > kMaxDigits)
        return false;
    for (char ch : strDigits)
        if (ch < '0' || ch > '9')
            return false;
    return true;
}

std::string SwappedDigits(std::string strDigits)
{
    if (strDigits.size() % 2)
        strDigits += 'F';
    for (size_t i = 0; i + 1 < strDigits.size(); i += 2)
        std::swap(strDigits[i], strDigits[i + 1]);
    return strDigits;
}

// TP-OA or TP-RA: length in semi-octets, type, value.
bool AddressField(const std::string& strAddress, std::string& strField, std::string& strError)
{
    std::string strDigits;
    unsigned nType = 0;
    strField.clear();
    if (IsNumber(strAddress, strDigits, nType)) {
        AppendHex(strField, static_cast<unsigned>(strDigits.size()));
        AppendHex(strField, nType);
        strField += SwappedDigits(strDigits);
        return true;
    }
    CIncomingPlan text;
    text.strText = strAddress;
    std::vector<std::string> units;
    if (!EncodeUnits(text, units, strError))
        return false;
    std::string strSeptets;
    for (const std::string& unit : units)
        strSeptets += unit;
    if (strSeptets.empty() || strSeptets.size() > kMaxAlphanumericSeptets) {
        strError = "an alphanumeric sender holds 1 to 11 septets";
        return false;
    }
    AppendHex(strField, static_cast<unsigned>((strSeptets.size() * 7 + 3) / 4));
    AppendHex(strField, 0xD0);
    strField += Hex(Pack(strSeptets, 0));
    return true;
}

std::string ServiceCentre(const std::string& strSmsc)
{
    std::string strDigits;
    unsigned nType = 0;
    if (!IsNumber(strSmsc, strDigits, nType))
        return "00";
    std::string str;
    AppendHex(str, static_cast<unsigned>(1 + (strDigits.size() + 1) / 2));
    AppendHex(str, nType);
    return str + SwappedDigits(strDigits);
}

std::string Timestamp(const CSimTime& t)
{
    const int anFields[] = {t.nYear % 100, t.nMonth, t.nDay, t.nHour, t.nMinute, t.nSecond};
    std::string str;
    for (int n : anFields)
        AppendHex(str, static_cast<unsigned>((n % 10) * 16 + n / 10));
    const int nZone = t.nZoneQuarters < 0 ? -t.nZoneQuarters : t.nZoneQuarters;
    AppendHex(str, static_cast<unsigned>((nZone % 10) * 16 + nZone / 10 + (t.nZoneQuarters < 0 ? 8 : 0)));
    return str;
}

std::string Header(const CIncomingPlan& plan, size_t nTotal, size_t nPart)
{
    std::string str;
    if (plan.b16BitRef) {
        str.assign("\x06\x08\x04", 3);  // header length, IEI, element length
        str += static_cast<char>((plan.nRef >> 8) & 0xFF);
    } else {
        str.assign("\x05\x00\x03", 3);
    }
    str += static_cast<char>(plan.nRef & 0xFF);
    str += static_cast<char>(nTotal);
    str += static_cast<char>(nPart);
    return str;
}

std::string Deliver(const CIncomingPlan& plan, const std::string& strOriginator, const std::string& strPart,
                    size_t nTotal, size_t nPart)
{
    const bool bHeader = nTotal > 1;
    const std::string strHeader = bHeader ? Header(plan, nTotal, nPart) : std::string();
    std::string strUserData = strHeader;
    size_t nUdl = 0;
    if (plan.strEncoding == "gsm7") {
        const size_t nHeaderSeptets = (strHeader.size() * 8 + 6) / 7;
        strUserData += Pack(strPart, static_cast<unsigned>(nHeaderSeptets * 7 - strHeader.size() * 8));
        nUdl = nHeaderSeptets + strPart.size();
    } else {
        strUserData += strPart;
        nUdl = strUserData.size();
    }
    std::string str = ServiceCentre(plan.strSmsc);
    AppendHex(str, bHeader ? 0x44 : 0x04);  // SMS-DELIVER, no more messages waiting, UDHI
    str += strOriginator;
    str += "00";  // TP-PID
    AppendHex(str, plan.strEncoding == "gsm7" ? 0x00 : plan.strEncoding == "ucs2" ? 0x08 : 0x04);
    str += Timestamp(plan.time);
    AppendHex(str, static_cast<unsigned>(nUdl));
    return str + Hex(strUserData);
}

} // namespace

bool ParseSimTime(const std::string& str, CSimTime& time)
{
    int nZoneHours = 0;
    int nZoneMinutes = 0;
    char chSign = 0;
    int nEnd = 0;
    CSimTime t;
    if (std::sscanf(str.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c%2d:%2d%n", &t.nYear, &t.nMonth, &t.nDay, &t.nHour,
                    &t.nMinute, &t.nSecond, &chSign, &nZoneHours, &nZoneMinutes, &nEnd) != 9 ||
        static_cast<size_t>(nEnd) != str.size() || str.size() != 25 || (chSign != '+' && chSign != '-'))
        return false;
    const int nQuarters = (nZoneHours * 60 + nZoneMinutes) / 15;
    if (t.nYear < 2000 || t.nYear > 2099 || t.nMonth < 1 || t.nMonth > 12 || t.nDay < 1 || t.nDay > 31 ||
        t.nHour > 23 || t.nMinute > 59 || t.nSecond > 59 || nZoneMinutes % 15 || nQuarters > 79)
        return false;
    t.nZoneQuarters = chSign == '-' ? -nQuarters : nQuarters;
    time = t;
    return true;
}

bool EncodeIncoming(const CIncomingPlan& plan, std::vector<std::string>& pdus, std::string& strError)
{
    pdus.clear();
    std::string strOriginator;
    std::vector<std::string> units;
    if (!AddressField(plan.strSender, strOriginator, strError) || !EncodeUnits(plan, units, strError))
        return false;
    const std::vector<std::string> parts = SplitParts(plan, units);
    if (parts.size() > kMaxParts) {
        strError = "more than 255 parts";
        return false;
    }
    std::vector<unsigned> order = plan.parts;
    if (order.empty())
        for (size_t i = 1; i <= parts.size(); ++i)
            order.push_back(static_cast<unsigned>(i));
    for (unsigned nPart : order) {
        if (nPart < 1 || nPart > parts.size()) {
            strError = "the message has no part " + std::to_string(nPart) + " (it has " +
                       std::to_string(parts.size()) + ")";
            pdus.clear();
            return false;
        }
        pdus.push_back(Deliver(plan, strOriginator, parts[nPart - 1], parts.size(), nPart));
    }
    return true;
}

std::string EncodeStatusReport(const CReportPlan& plan)
{
    std::string strRecipient;
    std::string strError;
    if (!AddressField(plan.strRecipient, strRecipient, strError))
        strRecipient = "0081";  // an empty number: the report still reads
    std::string str = ServiceCentre(plan.strSmsc);
    str += "06";  // SMS-STATUS-REPORT, no more messages waiting
    AppendHex(str, plan.nMr);
    str += strRecipient;
    str += Timestamp(plan.scts);
    str += Timestamp(plan.discharge);
    AppendHex(str, plan.nStatus);
    return str;
}
