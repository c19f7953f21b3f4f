// .bmp files built byte by byte for the tests of the skin's bitmaps, in every
// layout the reader takes; tests spoil them to get the ones it must refuse.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

struct CBmpFormat {
    CBmpFormat(int nWidth_, int nHeight_, unsigned nBits_, uint32_t nCompression_ = 0, uint32_t nHeaderSize_ = 40,
             std::vector<uint32_t> masks_ = {}, std::vector<uint32_t> palette_ = {})
        : nWidth(nWidth_), nHeight(nHeight_), nBits(nBits_), nCompression(nCompression_), nHeaderSize(nHeaderSize_),
          masks(std::move(masks_)), palette(std::move(palette_))
    {
    }

    int nWidth;
    int nHeight;                    // negative: rows stored top-down
    unsigned nBits;
    uint32_t nCompression;          // 0 BI_RGB, 3 BI_BITFIELDS
    uint32_t nHeaderSize;           // 40, or a longer header (52, 56, 108, 124) that holds the masks
    std::vector<uint32_t> masks;    // red, green, blue (, alpha): after a 40-byte header, else inside it
    std::vector<uint32_t> palette;  // 0x00RRGGBB; its size is the header's colour count
};

inline void PutLe(std::vector<uint8_t>& out, uint32_t nValue, unsigned nBytes)
{
    for (unsigned i = 0; i < nBytes; ++i)
        out.push_back(static_cast<uint8_t>(nValue >> (8 * i)));
}

// values: the raw pixels, top row first: colour indices, 16-bit words,
// 0xRRGGBB, or 32-bit words.
inline std::vector<uint8_t> MakeBmp(const CBmpFormat& format, const std::vector<uint32_t>& values)
{
    const int nRows = format.nHeight < 0 ? -format.nHeight : format.nHeight;
    const size_t nStride = (static_cast<size_t>(format.nWidth) * format.nBits + 31) / 32 * 4;
    const bool bMasksAfter = format.nCompression == 3 && format.nHeaderSize == 40;
    const uint32_t nOffBits =
        static_cast<uint32_t>(14 + format.nHeaderSize + (bMasksAfter ? 12 : 0) + 4 * format.palette.size());
    std::vector<uint8_t> out = {'B', 'M'};
    PutLe(out, nOffBits + static_cast<uint32_t>(nStride * nRows), 4);
    PutLe(out, 0, 4);
    PutLe(out, nOffBits, 4);
    for (uint32_t nField : {format.nHeaderSize, static_cast<uint32_t>(format.nWidth), static_cast<uint32_t>(format.nHeight)})
        PutLe(out, nField, 4);
    PutLe(out, 1, 2);
    PutLe(out, format.nBits, 2);
    for (uint32_t nField : {format.nCompression, static_cast<uint32_t>(nStride * nRows), 2835u, 2835u,
                            static_cast<uint32_t>(format.palette.size()), 0u})
        PutLe(out, nField, 4);
    for (size_t i = 0; i < format.masks.size() && (bMasksAfter ? i < 3 : 40 + 4 * i < format.nHeaderSize); ++i)
        PutLe(out, format.masks[i], 4);
    out.resize(14 + format.nHeaderSize + (bMasksAfter ? 12 : 0), 0);
    for (uint32_t nColor : format.palette)
        PutLe(out, nColor, 4);
    for (int r = 0; r < nRows; ++r) {
        const int y = format.nHeight < 0 ? r : nRows - 1 - r;
        std::vector<uint8_t> row(nStride, 0);
        for (int x = 0; x < format.nWidth; ++x) {
            const uint32_t nValue = values[static_cast<size_t>(y) * format.nWidth + x];
            const size_t nBit = static_cast<size_t>(x) * format.nBits;
            if (format.nBits < 8)
                row[nBit / 8] |= static_cast<uint8_t>(nValue << (8 - format.nBits - nBit % 8));
            for (unsigned b = 0; b < format.nBits / 8; ++b)
                row[nBit / 8 + b] = static_cast<uint8_t>(nValue >> (8 * b));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
