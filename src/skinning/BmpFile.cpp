#include "skinning/BmpFile.h"

namespace {

const size_t kFileHeaderSize = 14;   // BITMAPFILEHEADER
const size_t kInfoHeaderSize = 40;   // BITMAPINFOHEADER; the longer headers begin with it
const uint32_t kBiRgb = 0;
const uint32_t kBiBitfields = 3;
const uint32_t kWhiteKey = 0x00FFFFFF;

uint32_t Le16(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}

uint32_t Le32(const uint8_t* p)
{
    return Le16(p) | Le16(p + 2) << 16;
}

bool IsKnownHeaderSize(uint32_t nSize)
{
    return nSize == 40 || nSize == 52 || nSize == 56 || nSize == 108 || nSize == 124;
}

// One colour channel of a 16- or 32-bit pixel, where its mask puts it.
class CChannel {
public:
    // False for a mask whose bits are not contiguous.
    bool SetMask(uint32_t nMask)
    {
        m_nMask = nMask;
        m_nShift = 0;
        m_nBits = 0;
        if (!nMask)
            return true;
        while (!((nMask >> m_nShift) & 1))
            ++m_nShift;
        const uint32_t nField = nMask >> m_nShift;
        while (m_nBits < 32 && ((nField >> m_nBits) & 1))
            ++m_nBits;
        return m_nBits == 32 || (nField >> m_nBits) == 0;
    }

    // The channel's value as 8 bits. A narrower value repeats its bits, so
    // that all of them set is 255 and a white pixel stays white.
    uint32_t Get(uint32_t nPixel) const
    {
        if (!m_nBits)
            return 0;
        const uint32_t nValue = (nPixel & m_nMask) >> m_nShift;
        if (m_nBits >= 8)
            return nValue >> (m_nBits - 8);
        uint32_t nOut = 0;
        int nFilled = 0;
        for (; nFilled < 8; nFilled += m_nBits)
            nOut = nOut << m_nBits | nValue;
        return nOut >> (nFilled - 8);
    }

private:
    uint32_t m_nMask = 0;
    int m_nShift = 0;
    int m_nBits = 0;
};

// What the headers say about the pixels; every length in it has been
// checked against the file.
struct CLayout {
    int nWidth = 0;
    int nRows = 0;
    bool bTopDown = false;
    unsigned nBits = 0;
    size_t nOffBits = 0;
    size_t nStride = 0;
    CChannel aChannels[4];          // red, green, blue, alpha of 16- and 32-bit pixels
    bool bAlpha = false;
    bool bPlain = false;            // 32 bits as 0xAARRGGBB: no channel needs moving
    std::vector<uint32_t> palette;  // 0x00RRGGBB, one per index of 1, 4 and 8 bits
};

bool ReadGeometry(const uint8_t* pInfo, CLayout& layout)
{
    const int64_t nWidth = static_cast<int32_t>(Le32(pInfo + 4));
    const int64_t nHeight = static_cast<int32_t>(Le32(pInfo + 8));
    const int64_t nRows = nHeight < 0 ? -nHeight : nHeight;
    const unsigned nBits = Le16(pInfo + 14);
    if (nWidth < 1 || nWidth > kMaxBmpSide || nRows < 1 || nRows > kMaxBmpSide || Le16(pInfo + 12) != 1)
        return false;
    if (nBits != 1 && nBits != 4 && nBits != 8 && nBits != 16 && nBits != 24 && nBits != 32)
        return false;
    layout.nWidth = static_cast<int>(nWidth);
    layout.nRows = static_cast<int>(nRows);
    layout.bTopDown = nHeight < 0;
    layout.nBits = nBits;
    return true;
}

// The channels of 16- and 32-bit pixels. nEnd, the end of what precedes
// the pixels, moves past masks that follow a BITMAPINFOHEADER.
bool ReadMasks(const uint8_t* pData, size_t nSize, uint32_t nHeaderSize, CLayout& layout, size_t& nEnd)
{
    const uint32_t nCompression = Le32(pData + kFileHeaderSize + 16);
    uint32_t aMasks[4] = {0, 0, 0, 0};
    if (nCompression == kBiBitfields) {
        if (layout.nBits != 16 && layout.nBits != 32)
            return false;
        const uint8_t* pMasks = pData + kFileHeaderSize + kInfoHeaderSize;
        if (nHeaderSize == kInfoHeaderSize) {  // the longer headers hold the masks themselves
            if (nSize - nEnd < 12)
                return false;
            nEnd += 12;
        }
        for (int i = 0; i < 3; ++i)
            aMasks[i] = Le32(pMasks + 4 * i);
        if (nHeaderSize >= 56)
            aMasks[3] = Le32(pMasks + 12);
    } else if (nCompression == kBiRgb) {
        if (layout.nBits == 16) {
            aMasks[0] = 0x7C00;
            aMasks[1] = 0x03E0;
            aMasks[2] = 0x001F;
        } else if (layout.nBits == 32) {
            aMasks[0] = 0xFF0000;
            aMasks[1] = 0xFF00;
            aMasks[2] = 0xFF;
        }
    } else {
        return false;  // run-length, JPEG, PNG: not for a skin
    }
    // The byte that 32-bit colours leave free carries the alpha, as the system
    // takes it; 16-bit pixels have none and are opaque.
    if (layout.nBits == 32 && !aMasks[3] && aMasks[0] == 0xFF0000 && aMasks[1] == 0xFF00 && aMasks[2] == 0xFF)
        aMasks[3] = 0xFF000000;
    if (layout.nBits != 32)
        aMasks[3] = 0;
    layout.bAlpha = aMasks[3] != 0;
    layout.bPlain = layout.nBits == 32 && aMasks[0] == 0xFF0000 && aMasks[1] == 0xFF00 && aMasks[2] == 0xFF &&
                    aMasks[3] == 0xFF000000;
    for (int i = 0; i < 4; ++i)
        if (!layout.aChannels[i].SetMask(aMasks[i]))
            return false;
    return true;
}

// The colour table of 1, 4 and 8 bits; an index beyond a shorter table is
// black. A table beside direct colours is only a hint and is skipped.
bool ReadPalette(const uint8_t* pData, size_t nSize, CLayout& layout, size_t& nEnd)
{
    if (layout.nBits > 8)
        return true;
    const uint32_t nMax = 1u << layout.nBits;
    const uint32_t nUsed = Le32(pData + kFileHeaderSize + 32);
    const uint32_t nColors = nUsed ? nUsed : nMax;
    if (nUsed > nMax || (nSize - nEnd) / 4 < nColors)
        return false;
    layout.palette.assign(nMax, 0);
    for (uint32_t i = 0; i < nColors; ++i)
        layout.palette[i] = Le32(pData + nEnd + 4 * i) & 0x00FFFFFF;  // blue, green, red, reserved
    nEnd += 4 * static_cast<size_t>(nColors);
    return true;
}

bool ReadHeaders(const uint8_t* pData, size_t nSize, CLayout& layout)
{
    if (nSize < kFileHeaderSize + kInfoHeaderSize || pData[0] != 'B' || pData[1] != 'M')
        return false;
    const uint32_t nHeaderSize = Le32(pData + kFileHeaderSize);
    // A file shorter than it says was cut short; a longer one only carries more.
    if (Le32(pData + 2) > nSize || !IsKnownHeaderSize(nHeaderSize) || nSize - kFileHeaderSize < nHeaderSize)
        return false;
    size_t nEnd = kFileHeaderSize + nHeaderSize;
    if (!ReadGeometry(pData + kFileHeaderSize, layout) || !ReadMasks(pData, nSize, nHeaderSize, layout, nEnd) ||
        !ReadPalette(pData, nSize, layout, nEnd))
        return false;
    layout.nOffBits = Le32(pData + 10);
    layout.nStride = (static_cast<size_t>(layout.nWidth) * layout.nBits + 31) / 32 * 4;
    return layout.nOffBits >= nEnd && layout.nOffBits <= nSize &&
           (nSize - layout.nOffBits) / layout.nStride >= static_cast<size_t>(layout.nRows);
}

uint32_t Masked(uint32_t nPixel, const CLayout& layout)
{
    return layout.aChannels[3].Get(nPixel) << 24 | layout.aChannels[0].Get(nPixel) << 16 |
           layout.aChannels[1].Get(nPixel) << 8 | layout.aChannels[2].Get(nPixel);
}

// Pixel x of a row as 0xAARRGGBB; the alpha is 0 when the file has none.
uint32_t ColorAt(const uint8_t* pRow, int x, const CLayout& layout)
{
    switch (layout.nBits) {
    case 1:
        return layout.palette[(pRow[x >> 3] >> (7 - (x & 7))) & 1];
    case 4:
        return layout.palette[(pRow[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
    case 8:
        return layout.palette[pRow[x]];
    case 16:
        return Masked(Le16(pRow + 2 * x), layout);
    case 24:
        return Le16(pRow + 3 * x) | static_cast<uint32_t>(pRow[3 * x + 2]) << 16;
    default:
        return layout.bPlain ? Le32(pRow + 4 * x) : Masked(Le32(pRow + 4 * x), layout);
    }
}

uint32_t SkinPixel(uint32_t nColor, bool bAlpha)
{
    if (nColor == kWhiteKey)
        return 0;
    return bAlpha ? nColor : nColor | 0xFF000000u;
}

} // namespace

bool CBmpFile::Read(const uint8_t* pData, size_t nSize)
{
    nWidth = 0;
    nHeight = 0;
    std::vector<uint32_t>().swap(pixels);
    CLayout layout;
    if (!pData || !ReadHeaders(pData, nSize, layout))
        return false;
    std::vector<uint32_t> out(static_cast<size_t>(layout.nWidth) * static_cast<size_t>(layout.nRows));
    for (int r = 0; r < layout.nRows; ++r) {
        const uint8_t* pRow = pData + layout.nOffBits + static_cast<size_t>(r) * layout.nStride;
        const int y = layout.bTopDown ? layout.nRows - 1 - r : r;
        uint32_t* pOut = out.data() + static_cast<size_t>(y) * static_cast<size_t>(layout.nWidth);
        for (int x = 0; x < layout.nWidth; ++x)
            pOut[x] = SkinPixel(ColorAt(pRow, x, layout), layout.bAlpha);
    }
    nWidth = layout.nWidth;
    nHeight = layout.nRows;
    pixels.swap(out);
    return true;
}
