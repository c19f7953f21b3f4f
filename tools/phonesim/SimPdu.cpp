#include "SimPdu.h"

#include <vector>

namespace {

// GSM 03.38 default alphabet, as UTF-8.
const char* const kGsmDefault[128] = {
    "@", "\xC2\xA3", "$", "\xC2\xA5", "\xC3\xA8", "\xC3\xA9", "\xC3\xB9", "\xC3\xAC",
    "\xC3\xB2", "\xC3\x87", "\n", "\xC3\x98", "\xC3\xB8", "\r", "\xC3\x85", "\xC3\xA5",
    "\xCE\x94", "_", "\xCE\xA6", "\xCE\x93", "\xCE\x9B", "\xCE\xA9", "\xCE\xA0", "\xCE\xA8",
    "\xCE\xA3", "\xCE\x98", "\xCE\x9E", "\x1B", "\xC3\x86", "\xC3\xA6", "\xC3\x9F", "\xC3\x89",
    " ", "!", "\"", "#", "\xC2\xA4", "%", "&", "'", "(", ")", "*", "+", ",", "-", ".", "/",
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ":", ";", "<", "=", ">", "?",
    "\xC2\xA1", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O",
    "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", "\xC3\x84", "\xC3\x96", "\xC3\x91", "\xC3\x9C", "\xC2\xA7",
    "\xC2\xBF", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o",
    "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", "\xC3\xA4", "\xC3\xB6", "\xC3\xB1", "\xC3\xBC", "\xC3\xA0",
};

const char* GsmExtension(unsigned char ch)
{
    switch (ch) {
    case 0x0A: return "\f";
    case 0x14: return "^";
    case 0x28: return "{";
    case 0x29: return "}";
    case 0x2F: return "\\";
    case 0x3C: return "[";
    case 0x3D: return "~";
    case 0x3E: return "]";
    case 0x40: return "|";
    case 0x65: return "\xE2\x82\xAC";
    default: return nullptr;
    }
}

int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

bool HexToOctets(const std::string& strHex, std::vector<unsigned char>& octets)
{
    if (strHex.empty() || strHex.size() % 2)
        return false;
    octets.clear();
    for (size_t i = 0; i < strHex.size(); i += 2) {
        const int hi = HexValue(strHex[i]), lo = HexValue(strHex[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        octets.push_back(static_cast<unsigned char>(hi * 16 + lo));
    }
    return true;
}

void AppendUtf8(unsigned cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Big-endian UTF-16 to UTF-8. A surrogate without its partner (a pair split
// between two parts, say) shows as U+FFFD, so the log stays valid UTF-8.
std::string Ucs2ToUtf8(const unsigned char* p, size_t n)
{
    std::string out;
    for (size_t i = 0; i + 1 < n; i += 2) {
        unsigned cp = (p[i] << 8) | p[i + 1];
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            const unsigned lo = i + 3 < n ? (p[i + 2] << 8) | p[i + 3] : 0;
            if (cp <= 0xDBFF && lo >= 0xDC00 && lo <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            } else {
                cp = 0xFFFD;
            }
        }
        AppendUtf8(cp, out);
    }
    return out;
}

// A reader over the octets that fails instead of running past the end.
struct CReader {
    const std::vector<unsigned char>& octets;
    size_t nPos = 0;
    bool Take(unsigned char& ch)
    {
        if (nPos >= octets.size())
            return false;
        ch = octets[nPos++];
        return true;
    }
    bool Skip(size_t n)
    {
        if (octets.size() - nPos < n)
            return false;
        nPos += n;
        return true;
    }
};

} // namespace

std::string GsmToUtf8(const std::string& strSeptets)
{
    std::string out;
    for (size_t i = 0; i < strSeptets.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(strSeptets[i]) & 0x7F;
        if (ch == 0x1B && i + 1 < strSeptets.size()) {
            const unsigned char next = static_cast<unsigned char>(strSeptets[i + 1]) & 0x7F;
            const char* psz = GsmExtension(next);
            out += psz ? psz : " ";  // an unknown extension shows as a space
            ++i;
            continue;
        }
        out += ch == 0x1B ? " " : kGsmDefault[ch];
    }
    return out;
}

bool GetTpduOctets(const std::string& strHex, unsigned& nOctets)
{
    std::vector<unsigned char> octets;
    if (!HexToOctets(strHex, octets) || 1u + octets[0] > octets.size())
        return false;
    nOctets = static_cast<unsigned>(octets.size() - 1 - octets[0]);
    return true;
}

bool DecodeSubmit(const std::string& strHex, CSubmitInfo& info, std::string& strError)
{
    info = CSubmitInfo();
    std::vector<unsigned char> octets;
    if (!HexToOctets(strHex, octets)) {
        strError = "not an even number of hex digits";
        return false;
    }
    CReader in{octets};
    unsigned char btSca = 0, btFirst = 0, btMr = 0, btDigits = 0, btType = 0, btPid = 0, btDcs = 0, btUdl = 0;
    if (!in.Take(btSca) || !in.Skip(btSca)) {
        strError = "service-centre field overruns the PDU";
        return false;
    }
    info.nTpduOctets = static_cast<unsigned>(octets.size() - in.nPos);
    if (!in.Take(btFirst) || (btFirst & 0x03) != 0x01) {
        strError = "not an SMS-SUBMIT";
        return false;
    }
    if (!in.Take(btMr) || !in.Take(btDigits) || !in.Take(btType) || btDigits > 20) {
        strError = "bad destination address";
        return false;
    }
    info.nMr = btMr;
    const size_t nAddrOctets = (btDigits + 1u) / 2;
    if (in.octets.size() - in.nPos < nAddrOctets) {
        strError = "destination address overruns the PDU";
        return false;
    }
    if (btType == 0x91)
        info.strNumber = "+";
    for (unsigned i = 0; i < btDigits; ++i) {
        const unsigned char bt = octets[in.nPos + i / 2];
        const unsigned nDigit = i % 2 ? bt >> 4 : bt & 0x0F;
        info.strNumber += nDigit < 10 ? static_cast<char>('0' + nDigit) : "*#abc"[(nDigit - 10) % 5];
    }
    in.Skip(nAddrOctets);
    if (!in.Take(btPid) || !in.Take(btDcs)) {
        strError = "PDU ends before the data coding scheme";
        return false;
    }
    info.nDcs = btDcs;
    const unsigned nVpf = (btFirst >> 3) & 0x03;
    if (!in.Skip(nVpf == 0 ? 0 : nVpf == 2 ? 1 : 7) || !in.Take(btUdl)) {
        strError = "PDU ends before the user data";
        return false;
    }
    // Only the general data coding group gives the alphabet in bits 2-3.
    const unsigned nAlphabet = (btDcs & 0xC0) == 0 ? (btDcs >> 2) & 0x03 : (btDcs & 0xF0) == 0xF0 ? (btDcs >> 2) & 0x01 : 3;
    info.strAlphabet = nAlphabet == 0 ? "gsm7" : nAlphabet == 1 ? "8bit" : nAlphabet == 2 ? "ucs2" : "other";
    const size_t nUdOctets = nAlphabet == 0 ? (btUdl * 7u + 7) / 8 : btUdl;
    if (octets.size() - in.nPos != nUdOctets) {
        strError = "user data length " + std::to_string(btUdl) + " does not fit the " +
                   std::to_string(octets.size() - in.nPos) + " octets that follow";
        return false;
    }
    const unsigned char* pUd = octets.data() + in.nPos;
    size_t nHeader = 0;  // octets of the user data header with its length octet
    if (btFirst & 0x40) {
        if (nUdOctets < 1 || pUd[0] + 1u > nUdOctets) {
            strError = "user data header overruns the user data";
            return false;
        }
        nHeader = pUd[0] + 1u;
        for (size_t i = 1; i + 1 < nHeader;) {
            const unsigned char btIe = pUd[i], btLen = pUd[i + 1];
            if (i + 2 + btLen > nHeader) {
                strError = "bad information element";
                return false;
            }
            if (btIe == 0x00 && btLen == 3) {
                info.bConcatenated = true;
                info.nRef = pUd[i + 2];
                info.nParts = pUd[i + 3];
                info.nPart = pUd[i + 4];
            } else if (btIe == 0x08 && btLen == 4) {
                info.bConcatenated = true;
                info.nRef = (pUd[i + 2] << 8) | pUd[i + 3];
                info.nParts = pUd[i + 4];
                info.nPart = pUd[i + 5];
            }
            i += 2 + btLen;
        }
    }
    if (nAlphabet == 0) {
        // The septets start at the first septet boundary after the header.
        const size_t nSkip = (nHeader * 8 + 6) / 7;
        if (nSkip > btUdl) {
            strError = "user data header longer than the user data";
            return false;
        }
        std::string strSeptets;
        for (size_t s = nSkip; s < btUdl; ++s) {
            const size_t nBit = s * 7;
            unsigned v = pUd[nBit / 8] >> (nBit % 8);
            if (nBit % 8 > 1 && nBit / 8 + 1 < nUdOctets)
                v |= pUd[nBit / 8 + 1] << (8 - nBit % 8);
            strSeptets += static_cast<char>(v & 0x7F);
        }
        info.strText = GsmToUtf8(strSeptets);
    } else if (nAlphabet == 2) {
        info.strText = Ucs2ToUtf8(pUd + nHeader, nUdOctets - nHeader);
    }
    return true;
}
