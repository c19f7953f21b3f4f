// The readers of colors.ini's values and the window outline of a bitmap's
// pixels, on arbitrary input. The values are compared with what the C
// library's strtoul makes of the same text (as the skin's rules describe
// them), and the outline's runs must cover exactly the pixels that are not
// 0, each run as long as it can be, in order.
//
// Input: the first byte is the outline's width (1 to 64); the rest is both
// a UTF-16LE text for the value readers and the pixels, one byte each
// (0 stays 0, so that holes are common).
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "skinning/SkinConfig.h"
#include "skinning/SkinRegion.h"

namespace {

// The text as the C library sees it: a character outside ASCII is a byte
// that is neither a digit nor white space.
uint32_t ReferenceNumber(const WString& strText, int nBase)
{
    std::string str;
    for (WChar ch : strText) {
        if (ch == 0)
            break;  // the C string ends there
        str += static_cast<uint16_t>(ch) < 0x80 ? static_cast<char>(ch) : '!';
    }
    const size_t nFirst = str.find_first_not_of(" \t\n\v\f\r");
    if (nFirst != std::string::npos && (str[nFirst] == '+' || str[nFirst] == '-'))
        return 0;  // a sign is no digit
    errno = 0;
    const unsigned long long ull = std::strtoull(str.c_str(), nullptr, nBase);
    return errno == ERANGE || ull > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(ull);
}

void FuzzValues(const WString& strText)
{
    // Text after a NUL never reaches the readers: the profile call ends there.
    const WString strValue = strText.substr(0, strText.find(WChar(0)));
    const uint32_t nDecimal = ParseSkinNumber(strValue, 10);
    const uint32_t nHex = ParseSkinNumber(strValue, 16);
    Check(nDecimal == ReferenceNumber(strValue, 10));
    Check(nHex == ReferenceNumber(strValue, 16));

    const uint32_t crColor = ParseSkinColor(strValue);
    Check(crColor <= 0xFFFFFF);
    Check(crColor == (((nHex >> 16) & 0xFF) | (nHex & 0xFF00) | ((nHex & 0xFF) << 16)));

    const uint8_t btAlpha = ParseSkinAlpha(strValue);
    Check(btAlpha <= 100 && (btAlpha == (nDecimal & 0xFF) || (btAlpha == 100 && (nDecimal & 0xFF) > 100)));
    const int nSize = ParseSkinFontSize(strValue);
    Check(nSize >= 0 && nSize <= 32767 && (static_cast<uint32_t>(nSize) == nDecimal || nSize == 32767));

    const WString strFace = ClipSkinFace(strValue);
    Check(strFace.size() <= kSkinMaxFaceLength && strValue.compare(0, strFace.size(), strFace) == 0);

    WString strLower = strValue;
    for (WChar& ch : strLower)
        ch = (ch >= 'A' && ch <= 'Z') ? static_cast<WChar>(ch - 'A' + 'a') : ch;
    Check(ParseSkinBool(strValue) == (strLower == WSTR("yes") || strLower == WSTR("1") || strLower == WSTR("true")));
}

void FuzzRuns(int nWidth, const std::string& strPixels)
{
    const int nHeight = static_cast<int>(strPixels.size()) / nWidth;
    std::vector<uint32_t> aBits(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    for (size_t i = 0; i < aBits.size(); ++i)
        aBits[i] = static_cast<uint8_t>(strPixels[i]) * 0x01010101u;
    const std::vector<CPixelRun> runs = FindOpaqueRuns(aBits.empty() ? nullptr : aBits.data(), nWidth, nHeight);

    // Painted back, top-down, the runs are the pixels that are not 0.
    std::vector<uint8_t> aCovered(aBits.size(), 0);
    const CPixelRun* pPrevious = nullptr;
    for (const CPixelRun& run : runs) {
        Check(run.nTop >= 0 && run.nTop < nHeight && run.nLeft >= 0 && run.nLeft < run.nRight && run.nRight <= nWidth);
        if (pPrevious)  // top row first, left to right, never touching
            Check(run.nTop > pPrevious->nTop || (run.nTop == pPrevious->nTop && run.nLeft > pPrevious->nRight));
        pPrevious = &run;
        for (int x = run.nLeft; x < run.nRight; ++x)
            aCovered[static_cast<size_t>(nHeight - 1 - run.nTop) * static_cast<size_t>(nWidth) + static_cast<size_t>(x)] = 1;
    }
    for (size_t i = 0; i < aBits.size(); ++i)
        Check(aCovered[i] == (aBits[i] != 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const int nWidth = 1 + in.Byte() % 64;
    const std::string strRest = in.Rest();
    CFuzzInput text(reinterpret_cast<const uint8_t*>(strRest.data()), strRest.size());
    FuzzValues(text.Units(0xFFFF));
    FuzzRuns(nWidth, strRest);
    return 0;
}
