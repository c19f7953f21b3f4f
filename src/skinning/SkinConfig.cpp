#include "skinning/SkinConfig.h"

namespace {

struct CColorKey {
    const WChar* pszKey;
    const WChar* pszDefault;
};

const CColorKey kColorKeys[kSkinColorCount] = {
    {WSTR("EditText"), WSTR("AAAAAA")},
    {WSTR("StaticText"), WSTR("AAAAAA")},
    {WSTR("TextDisabled"), WSTR("606060")},
    {WSTR("Border"), WSTR("222222")},
    {WSTR("EditBg"), WSTR("444444")},
    {WSTR("EditBgDisabled"), WSTR("3A3A3A")},
    {WSTR("ButtonBg"), WSTR("444444")},
    {WSTR("ButtonBgDisabled"), WSTR("3A3A3A")},
    {WSTR("GroupBox"), WSTR("AAAAAA")},
};

bool IsSpace(WChar ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

int DigitValue(WChar ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'z')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'Z')
        return ch - 'A' + 10;
    return 99;
}

WChar Lower(WChar ch)
{
    return (ch >= 'A' && ch <= 'Z') ? static_cast<WChar>(ch + ('a' - 'A')) : ch;
}

bool EqualsNoCase(const WString& strText, const WChar* pszWord)
{
    size_t i = 0;
    for (; pszWord[i]; ++i) {
        if (i >= strText.size() || Lower(strText[i]) != pszWord[i])
            return false;
    }
    return i == strText.size();
}

} // namespace

const WChar kSkinDefaultFontSize[] = WSTR("7");
const WChar kSkinDefaultFontFace[] = WSTR("Verdana");
const WChar kSkinDefaultBorderHover[] = WSTR("yes");
const WChar kSkinDefaultAlpha[] = WSTR("98");

const WChar* GetSkinColorKey(SkinColor nSlot)
{
    return kColorKeys[static_cast<size_t>(nSlot)].pszKey;
}

const WChar* GetSkinColorDefault(SkinColor nSlot)
{
    return kColorKeys[static_cast<size_t>(nSlot)].pszDefault;
}

uint32_t ParseSkinNumber(const WString& strText, unsigned nBase)
{
    size_t i = 0;
    while (i < strText.size() && IsSpace(strText[i]))
        ++i;
    if (nBase == 16 && i + 2 < strText.size() && strText[i] == '0' && Lower(strText[i + 1]) == 'x' &&
        DigitValue(strText[i + 2]) < 16)
        i += 2;
    uint64_t nValue = 0;
    for (; i < strText.size(); ++i) {
        const int nDigit = DigitValue(strText[i]);
        if (nDigit >= static_cast<int>(nBase))
            break;
        nValue = nValue * nBase + static_cast<unsigned>(nDigit);
        if (nValue > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return static_cast<uint32_t>(nValue);
}

uint32_t ParseSkinColor(const WString& strText)
{
    const uint32_t nRgb = ParseSkinNumber(strText, 16);
    const uint32_t nRed = (nRgb >> 16) & 0xFF;
    const uint32_t nGreen = (nRgb >> 8) & 0xFF;
    const uint32_t nBlue = nRgb & 0xFF;
    return nRed | (nGreen << 8) | (nBlue << 16);
}

bool ParseSkinBool(const WString& strText)
{
    return EqualsNoCase(strText, WSTR("yes")) || EqualsNoCase(strText, WSTR("1")) ||
           EqualsNoCase(strText, WSTR("true"));
}

uint8_t ParseSkinAlpha(const WString& strText)
{
    const uint8_t btAlpha = static_cast<uint8_t>(ParseSkinNumber(strText, 10) & 0xFF);
    return btAlpha > 100 ? 100 : btAlpha;
}

int ParseSkinFontSize(const WString& strText)
{
    const uint32_t nSize = ParseSkinNumber(strText, 10);
    return nSize > 32767 ? 32767 : static_cast<int>(nSize);
}

WString ClipSkinFace(const WString& strText)
{
    return strText.substr(0, kSkinMaxFaceLength);
}
