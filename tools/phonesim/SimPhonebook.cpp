#include "SimPhonebook.h"

#include <cctype>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

// A letter a-f right after a hex escape would extend it: such a letter is
// an escape too ("\x61" is the "a" that ends "Mar\xC3\xAD\x61").
const char* const kNames[] = {
    "Anna",       "J\xC3\xBCrgen Gro\xC3\x9F", "Zo\xC3\xAB",  "\xC5\x81ukasz",  "Ana Mar\xC3\xAD\x61",
    "S\xC3\xB8ren", "Dr. \"Bob\" Smith",      "\xCE\x94\xCE\xB7\xCE\xBC\xCE\xAE\xCF\x84\xCF\x81\xCE\xB7\xCF\x82",
    "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD", "\xE7\x8E\x8B\xE4\xBC\x9F", "Back\\slash", "Emoji \xF0\x9F\x98\x80",
};

// Decodes UTF-8 to code points; invalid bytes become U+FFFD.
void Decode(const std::string& str, std::vector<unsigned>& cps)
{
    for (size_t i = 0; i < str.size();) {
        const unsigned char ch = static_cast<unsigned char>(str[i]);
        unsigned n = ch < 0x80 ? 1 : (ch & 0xE0) == 0xC0 ? 2 : (ch & 0xF0) == 0xE0 ? 3 : (ch & 0xF8) == 0xF0 ? 4 : 0;
        unsigned cp = n == 1 ? ch : n == 2 ? ch & 0x1F : n == 3 ? ch & 0x0F : ch & 0x07;
        bool bOk = n > 0 && i + n <= str.size();
        for (unsigned k = 1; bOk && k < n; ++k) {
            const unsigned char cc = static_cast<unsigned char>(str[i + k]);
            bOk = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        cps.push_back(bOk ? cp : 0xFFFD);
        i += bOk ? n : 1;
    }
}

void AppendUtf8(unsigned cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
        return;
    }
    const unsigned n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
    out += static_cast<char>((n == 2 ? 0xC0 : n == 3 ? 0xE0 : 0xF0) | (cp >> (6 * (n - 1))));
    for (unsigned k = n - 1; k > 0; --k)
        out += static_cast<char>(0x80 | ((cp >> (6 * (k - 1))) & 0x3F));
}

bool IsNumber(const std::string& str)
{
    if (str.empty() || str.size() > 41)
        return false;
    for (size_t i = 0; i < str.size(); ++i) {
        const char ch = str[i];
        if (!(std::isdigit(static_cast<unsigned char>(ch)) || ch == '*' || ch == '#' || (ch == '+' && i == 0)))
            return false;
    }
    return str != "+";
}

} // namespace

void CSimPhonebook::Generate(unsigned n)
{
    m_entries.clear();
    for (unsigned i = 1; i <= n; ++i) {
        char szNumber[32];
        // Odd locations international, even ones national.
        std::snprintf(szNumber, sizeof(szNumber), i % 2 ? "+49170555%04u" : "0170555%04u", i % 10000);
        m_entries[i] = CSimEntry{szNumber, std::string(kNames[(i - 1) % (sizeof(kNames) / sizeof(kNames[0]))]) +
                                               " " + std::to_string(i)};
    }
    m_nCapacity = n;
}

bool CSimPhonebook::Load(const std::string& strText, std::string& strError)
{
    m_entries.clear();
    std::istringstream in(strText);
    std::string strLine;
    unsigned nIndex = 0, nLine = 0;
    while (std::getline(in, strLine)) {
        ++nLine;
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        if (!strLine.empty() && strLine[0] == '#')
            continue;
        ++nIndex;
        if (strLine.find_first_not_of(" \t") == std::string::npos)
            continue;  // an empty location
        size_t nSplit = strLine.find('\t');
        if (nSplit == std::string::npos)
            nSplit = strLine.find(' ');
        const std::string strNumber = strLine.substr(0, nSplit);
        if (!IsNumber(strNumber) || nSplit == std::string::npos) {
            strError = "line " + std::to_string(nLine) + ": expected NUMBER<TAB>NAME";
            return false;
        }
        m_entries[nIndex] = CSimEntry{strNumber, strLine.substr(nSplit + 1)};
    }
    m_nCapacity = nIndex;
    return true;
}

bool ParseCharset(const std::string& strName, ECharset& charset)
{
    std::string str;
    for (char ch : strName)
        str += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (str == "\"IRA\"")
        charset = CS_IRA;
    else if (str == "\"GSM\"")
        charset = CS_GSM;
    else if (str == "\"UCS2\"")
        charset = CS_UCS2;
    else if (str == "\"UTF-8\"")
        charset = CS_UTF8;
    else
        return false;
    return true;
}

const char* CharsetName(ECharset charset)
{
    switch (charset) {
    case CS_GSM: return "GSM";
    case CS_UCS2: return "UCS2";
    case CS_UTF8: return "UTF-8";
    default: return "IRA";
    }
}

std::string EncodeName(const std::string& strUtf8, ECharset charset)
{
    std::vector<unsigned> cps;
    Decode(strUtf8, cps);
    std::string out;
    char sz[16];
    if (charset == CS_UCS2) {
        for (unsigned cp : cps) {
            if (cp >= 0x10000) {
                const unsigned v = cp - 0x10000;
                std::snprintf(sz, sizeof(sz), "%04X%04X", 0xD800 + (v >> 10), 0xDC00 + (v & 0x3FF));
            } else {
                std::snprintf(sz, sizeof(sz), "%04X", cp);
            }
            out += sz;
        }
        return out;
    }
    for (unsigned cp : cps) {
        if (cp == '"')
            out += "\\22";
        else if (cp == '\\')
            out += "\\5C";
        else if (cp < 0x20 || cp == 0x7F)
            out += ' ';
        else if (cp < 0x80 || charset == CS_UTF8)
            AppendUtf8(cp, out);
        else
            out += '?';
    }
    return out;
}

std::string FormatEntry(unsigned nIndex, const CSimEntry& entry, ECharset charset)
{
    const bool bInternational = !entry.strNumber.empty() && entry.strNumber[0] == '+';
    return "+CPBR: " + std::to_string(nIndex) + ",\"" + (bInternational ? entry.strNumber.substr(1) : entry.strNumber) +
           "\"," + (bInternational ? "145" : "129") + ",\"" + EncodeName(entry.strName, charset) + "\"";
}
