#include "sms/GsmAlphabet.h"

#include <cstdint>

namespace {

const int kDrop = -1;
const int kExtension = 0x100;  // flag: escape septet, then the low byte

struct CMapping {
    uint16_t wChar;
    int nCode;
};

// Characters whose septet differs from their code unit. Everything else of the
// printable ASCII range passes through unchanged.
const CMapping kMappings[] = {
    {0x0024, 0x02},  // $
    {0x0040, 0x00},  // @
    {0x005F, 0x11},  // _
    {0x0060, 0x27},  // ` is sent as the apostrophe: the alphabet has no grave accent
    {0x00A1, 0x40},  // ¡
    {0x00A3, 0x01},  // £
    {0x00A4, 0x24},  // ¤
    {0x00A5, 0x03},  // ¥
    {0x00A7, 0x5F},  // §
    {0x00BF, 0x60},  // ¿
    {0x00C4, 0x5B}, {0x00C5, 0x0E}, {0x00C6, 0x1C}, {0x00C7, 0x09}, {0x00C9, 0x1F},
    {0x00D1, 0x5D}, {0x00D6, 0x5C}, {0x00D8, 0x0B}, {0x00DC, 0x5E}, {0x00DF, 0x1E},
    {0x00E0, 0x7F}, {0x00E4, 0x7B}, {0x00E5, 0x0F}, {0x00E6, 0x1D}, {0x00E8, 0x04},
    {0x00E9, 0x05}, {0x00EC, 0x07}, {0x00F1, 0x7D}, {0x00F2, 0x08}, {0x00F6, 0x7C},
    {0x00F8, 0x0C}, {0x00F9, 0x06}, {0x00FC, 0x7E},
    {0x0393, 0x13}, {0x0394, 0x10}, {0x0398, 0x19}, {0x039B, 0x14}, {0x039E, 0x1A},
    {0x03A0, 0x16}, {0x03A3, 0x18}, {0x03A6, 0x12}, {0x03A8, 0x17}, {0x03A9, 0x15},
    // The extension table.
    {0x005B, kExtension | 0x3C},  // [
    {0x005C, kExtension | 0x2F},  // backslash
    {0x005D, kExtension | 0x3E},  // ]
    {0x005E, kExtension | 0x14},  // ^
    {0x007B, kExtension | 0x28},  // {
    {0x007C, kExtension | 0x40},  // |
    {0x007D, kExtension | 0x29},  // }
    {0x007E, kExtension | 0x3D},  // ~
    {0x20AC, kExtension | 0x65},  // euro sign
};

int MapOther(uint16_t wChar)
{
    for (const CMapping& m : kMappings)
        if (m.wChar == wChar)
            return m.nCode;
    return kDrop;
}

int MapChar(uint16_t wChar)
{
    const bool bPlain = (wChar >= 'A' && wChar <= 'Z') || (wChar >= 'a' && wChar <= 'z') ||
                        wChar == '\n' || wChar == '\r' ||
                        (wChar >= 0x20 && wChar <= 0x3F && wChar != '$');
    if (bPlain)
        return wChar;
    const int nCode = MapOther(wChar);
    if (nCode == kDrop && wChar < 0x80)
        return '?';  // TAB, form feed, DEL and the other control characters
    return nCode;
}

// Code units below 0x100 are looked up in a table built once; the few Greek
// letters and the euro sign above that go through the list.
struct CLatinTable {
    int anCode[0x100];
    CLatinTable()
    {
        for (int c = 0; c < 0x100; ++c)
            anCode[c] = MapChar(static_cast<uint16_t>(c));
    }
};

int LookUp(uint16_t wChar)
{
    static const CLatinTable table;
    return wChar < 0x100 ? table.anCode[wChar] : MapOther(wChar);
}

// Control characters the alphabet has no code for: TextToGsm would send them as '?'.
bool IsSubstitutedControl(uint16_t wChar)
{
    return (wChar < 0x20 && wChar != '\n' && wChar != '\r') || wChar == 0x7F;
}

} // namespace

bool FitsGsmAlphabet(const WString& strText)
{
    for (WChar ch : strText) {
        const uint16_t wChar = static_cast<uint16_t>(ch);
        if (wChar == 0)
            break;
        if (IsSubstitutedControl(wChar) || LookUp(wChar) == kDrop)
            return false;
    }
    return true;
}

SeptetString TextToGsm(const WString& strText)
{
    SeptetString strSeptets;
    strSeptets.reserve(strText.size());
    for (WChar ch : strText) {
        const uint16_t wChar = static_cast<uint16_t>(ch);
        if (wChar == 0)
            break;
        const int nCode = LookUp(wChar);
        if (nCode == kDrop)
            continue;
        if (nCode & kExtension)
            strSeptets += kGsmEscape;
        strSeptets += static_cast<char>(nCode & 0x7F);
    }
    return strSeptets;
}

namespace {

const uint16_t kUnmapped = 0xFFFF;
const uint16_t kPageBreak = 0x000C;  // the extension table's only control character

// Septet to character for the main table and the extension table, built once
// from the sending tables: a septet that several characters are sent as (the
// apostrophe and the grave accent; '?' and the control characters) reads as
// the character that is its own code.
struct CReverseTables {
    uint16_t awMain[0x80];
    uint16_t awExtension[0x80];

    CReverseTables()
    {
        for (int i = 0; i < 0x80; ++i)
            awMain[i] = awExtension[i] = kUnmapped;
        for (int c = 0; c < 0x100; ++c)
            Enter(static_cast<uint16_t>(c), LookUp(static_cast<uint16_t>(c)));
        for (const CMapping& m : kMappings)
            Enter(m.wChar, m.nCode);
        awExtension[0x0A] = kPageBreak;
    }

    void Enter(uint16_t wChar, int nCode)
    {
        if (nCode == kDrop)
            return;
        uint16_t& wSlot = (nCode & kExtension) ? awExtension[nCode & 0x7F] : awMain[nCode & 0x7F];
        if (wSlot == kUnmapped || wChar == (nCode & 0x7F))
            wSlot = wChar;
    }
};

} // namespace

WString GsmToText(const SeptetString& strSeptets)
{
    static const CReverseTables tables;
    WString strText;
    strText.reserve(strSeptets.size());
    for (size_t i = 0; i < strSeptets.size(); ++i) {
        const uint8_t btCode = static_cast<uint8_t>(strSeptets[i]) & 0x7F;
        if (btCode != kGsmEscape) {
            strText += static_cast<WChar>(tables.awMain[btCode]);
            continue;
        }
        if (i + 1 == strSeptets.size()) {
            strText += WChar(' ');
            break;
        }
        const uint8_t btNext = static_cast<uint8_t>(strSeptets[++i]) & 0x7F;
        if (btNext == kGsmEscape)
            strText += WChar(' ');
        else if (tables.awExtension[btNext] != kUnmapped)
            strText += static_cast<WChar>(tables.awExtension[btNext]);
        else
            strText += static_cast<WChar>(tables.awMain[btNext]);
    }
    return strText;
}
