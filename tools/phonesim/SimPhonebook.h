// The simulated phone's SIM phone book and how it is shown in the character
// set the program selected (3GPP TS 27.007 AT+CSCS, AT+CPBR).
#pragma once

#include <map>
#include <string>

struct CSimEntry {
    std::string strNumber;  // as stored: digits, '*' '#', a leading '+' when international
    std::string strName;    // UTF-8
};

class CSimPhonebook {
public:
    // n entries at locations 1..n, with names in several scripts.
    void Generate(unsigned n);
    // One location a line: "NUMBER<TAB>NAME" (or NUMBER, a space, NAME); an
    // empty line is an empty location; lines starting with '#' are comments.
    bool Load(const std::string& strText, std::string& strError);

    unsigned m_nCapacity = 0;  // locations 1..m_nCapacity
    std::map<unsigned, CSimEntry> m_entries;
};

// The phone's character sets; names are shown in the one selected.
enum ECharset { CS_IRA, CS_GSM, CS_UCS2, CS_UTF8 };
bool ParseCharset(const std::string& strName, ECharset& charset);  // a quoted name, case-insensitive
const char* CharsetName(ECharset charset);

// A name as the phone writes it between quotes: UTF-8 as it is; IRA and GSM
// keep printable ASCII and show other characters as '?'; UCS2 is hex of the
// UTF-16 code units. A quote and a backslash are written \22 and \5C.
std::string EncodeName(const std::string& strUtf8, ECharset charset);

// The "+CPBR: " line of one location.
std::string FormatEntry(unsigned nIndex, const CSimEntry& entry, ECharset charset);
