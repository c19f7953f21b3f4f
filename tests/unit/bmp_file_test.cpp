// The skin's bitmap reader: every layout it takes, read into the pixels the
// skin uses, and spoilt files, each refused or read correctly. The bytes are
// held in vectors of their exact size, so that a read past them is an
// AddressSanitizer report in the host build.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "skinning/BmpFile.h"
#include "support/BmpWriter.h"

namespace {

typedef std::vector<uint8_t> Bytes;
typedef std::vector<uint32_t> Pixels;

// The pixels read, top row first, or "refused".
std::string Read(const Bytes& bytes)
{
    const Bytes exact(bytes.begin(), bytes.end());  // no spare capacity behind the last byte
    CBmpFile file;
    if (!file.Read(exact.data(), exact.size()))
        return "refused";
    EXPECT_EQ(file.pixels.size(), static_cast<size_t>(file.nWidth) * static_cast<size_t>(file.nHeight));
    std::string out = std::to_string(file.nWidth) + "x" + std::to_string(file.nHeight) + ":";
    for (int y = file.nHeight - 1; y >= 0; --y) {
        for (int x = 0; x < file.nWidth; ++x) {
            char sz[10];
            std::snprintf(sz, sizeof(sz), " %08X", file.pixels[static_cast<size_t>(y) * file.nWidth + x]);
            out += sz;
        }
    }
    return out;
}

TEST(BmpFile, EveryLayoutIsReadAsTheSkinUsesIt)
{
    const struct {
        const char* pszName;
        CBmpFormat format;
        Pixels values;
        const char* pszPixels;
    } aCases[] = {
        // 32 bits keep their alpha; only white without alpha turns transparent.
        {"32 bits", {3, 2, 32}, {0x80112233, 0x00FFFFFF, 0xFFFFFFFF, 0, 0x00123456, 0xFE00FF00},
         "3x2: 80112233 00000000 FFFFFFFF 00000000 00123456 FE00FF00"},
        {"32 bits top-down", {1, -2, 32}, {0xFF0000FF, 0xFF00FF00}, "1x2: FF0000FF FF00FF00"},
        // Fewer bits: opaque but for pure white.
        {"24 bits, odd width", {3, 2, 24}, {0xFFFFFF, 0x000000, 0xFEFFFF, 0x123456, 0xFFFFFF, 0x010203},
         "3x2: 00000000 FF000000 FFFEFFFF FF123456 00000000 FF010203"},
        {"16 bits 5-5-5", {4, 1, 16}, {0x7FFF, 0xFFFF, 0x7C00, 0x0210},
         "4x1: 00000000 00000000 FFFF0000 FF008484"},
        {"16 bits 5-6-5", {4, 1, 16, 3, 40, {0xF800, 0x07E0, 0x001F}}, {0xFFFF, 0xF800, 0x07E0, 0x0821},
         "4x1: 00000000 FFFF0000 FF00FF00 FF080408"},
        {"8 bits, a short colour table", {4, 1, 8, 0, 40, {}, {0xFFFFFF, 0x102030, 0}}, {0, 1, 2, 3},
         "4x1: 00000000 FF102030 FF000000 FF000000"},
        {"4 bits", {3, 1, 4, 0, 40, {}, {0xFFFFFF, 0x0000FF}}, {1, 0, 1}, "3x1: FF0000FF 00000000 FF0000FF"},
        {"1 bit across a byte", {9, 1, 1, 0, 40, {}, {0, 0xFFFFFF}}, {1, 0, 0, 0, 0, 0, 0, 0, 1},
         "9x1: 00000000 FF000000 FF000000 FF000000 FF000000 FF000000 FF000000 FF000000 00000000"},
        // Masks in a V5 header, alpha included.
        {"32 bits, masks and alpha in a V5 header", {2, 1, 32, 3, 124, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}},
         {0x80332211, 0x00FFFFFF}, "2x1: 80112233 00000000"},
        // Ten bits a channel leave no byte for alpha: opaque.
        {"32 bits 10-10-10", {2, 1, 32, 3, 40, {0x3FF00000, 0xFFC00, 0x3FF}}, {0x3FFFFFFF, 0x20080200},
         "2x1: 00000000 FF808080"},
        {"32 bits, the standard masks", {1, 1, 32, 3, 40, {0xFF0000, 0xFF00, 0xFF}}, {0x40302010},
         "1x1: 40302010"},
        {"24 bits, a V4 header", {1, 1, 24, 0, 108}, {0x102030}, "1x1: FF102030"},
        {"16 bits 5-6-5, a V3 header", {1, 1, 16, 3, 56, {0xF800, 0x07E0, 0x001F, 0}}, {0xF800}, "1x1: FFFF0000"},
        {"16 bits with an alpha mask: opaque", {2, 1, 16, 3, 124, {0x7C00, 0x03E0, 0x001F, 0x8000}}, {0, 0xFFFF},
         "2x1: FF000000 00000000"},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(Read(MakeBmp(c.format, c.values)), c.pszPixels) << c.pszName;
}

Bytes With(Bytes bytes, size_t nOffset, uint32_t nValue, int nSize = 4)
{
    for (int i = 0; i < nSize; ++i)
        bytes.at(nOffset + i) = static_cast<uint8_t>(nValue >> (8 * i));
    return bytes;
}

Bytes Cut(Bytes bytes, size_t nSize)
{
    bytes.resize(nSize);
    return bytes;
}

TEST(BmpFile, SpoiltFilesAreRefusedOrReadCorrectly)
{
    // 20 x 10 pixels of 24 bits: 54 bytes of headers, rows of 60 bytes.
    Pixels values(200), flipped;
    for (size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<uint32_t>(i * 0x010203);
    for (int y = 9; y >= 0; --y)
        flipped.insert(flipped.end(), values.begin() + y * 20, values.begin() + y * 20 + 20);
    const Bytes good = MakeBmp({20, 10, 24}, values);
    const std::string strGood = Read(good);
    ASSERT_EQ(strGood.substr(0, 24), "20x10: FF000000 FF010203");
    const Bytes k565 = MakeBmp({1, 1, 16, 3, 40, {0xF800, 0x07E0, 0x001F}}, {0xF800});
    const Pixels white(kMaxBmpSide + 1, 1);
    const struct {
        const char* pszName;
        Bytes bytes;
        std::string strRead;  // what the pixels read begin with
    } aCases[] = {
        {"cut to 0 bytes", Cut(good, 0), "refused"},
        {"cut to 13 bytes", Cut(good, 13), "refused"},
        {"cut to 14 bytes", Cut(good, 14), "refused"},
        {"cut to 53 bytes", Cut(good, 53), "refused"},
        {"cut to 54 bytes", Cut(good, 54), "refused"},
        {"cut to 200 bytes", Cut(good, 200), "refused"},
        {"one row short", Cut(good, good.size() - 60), "refused"},
        {"one byte short", Cut(good, good.size() - 1), "refused"},
        {"one byte short, bfSize as short", With(Cut(good, good.size() - 1), 2, static_cast<uint32_t>(good.size() - 1)),
         "refused"},
        {"bfSize beyond the end", With(good, 2, static_cast<uint32_t>(good.size() + 1)), "refused"},
        {"65536 rows", With(good, 22, 65536), "refused"},
        {"the most negative height", With(good, 22, 0x80000000u), "refused"},
        {"zero height", With(good, 22, 0), "refused"},
        {"zero width", With(good, 18, 0), "refused"},
        {"negative width", With(good, 18, static_cast<uint32_t>(-20)), "refused"},
        {"not BM", With(good, 0, 0x4142, 2), "refused"},
        {"two planes", With(good, 26, 2, 2), "refused"},
        {"2 bits per pixel", With(good, 28, 2, 2), "refused"},
        {"run-length compression", With(good, 30, 1), "refused"},
        {"an unknown compression", With(good, 30, 77), "refused"},
        {"BI_BITFIELDS at 24 bits", MakeBmp({1, 1, 24, 3, 124, {0xFF0000, 0xFF00, 0xFF}}, {0}), "refused"},
        {"a core header", With(good, 14, 12), "refused"},
        {"a header of 64 bytes", With(good, 14, 64), "refused"},
        {"a header longer than the file", With(Cut(With(good, 14, 124), 100), 2, 100), "refused"},
        {"pixels inside the header", With(good, 10, 40), "refused"},
        {"pixels beyond the end", With(good, 10, static_cast<uint32_t>(good.size())), "refused"},
        {"pixels at 4 GB", With(good, 10, 0xFFFFFFF0), "refused"},
        {"a colour table into the pixels", With(MakeBmp({2, 1, 8, 0, 40, {}, {0, 0}}, {1, 0}), 46, 200), "refused"},
        {"more colours than 1 bit indexes", MakeBmp({2, 1, 1, 0, 40, {}, {0, 0, 0}}, {1, 0}), "refused"},
        {"a mask with a gap", With(k565, 54, 0xF00F), "refused"},
        {"the masks cut", With(Cut(k565, 60), 2, 60), "refused"},
        {"4097 columns", MakeBmp({kMaxBmpSide + 1, 1, 1, 0, 40, {}, {0, 0}}, white), "refused"},
        {"4097 rows", MakeBmp({1, kMaxBmpSide + 1, 1, 0, 40, {}, {0, 0}}, white), "refused"},
        // Read correctly.
        {"4096 columns", MakeBmp({kMaxBmpSide, 1, 1, 0, 40, {}, {0, 0xFFFFFF}}, Pixels(kMaxBmpSide, 0)),
         "4096x1: FF000000"},
        {"4096 rows", MakeBmp({1, kMaxBmpSide, 1, 0, 40, {}, {0, 0xFFFFFF}}, Pixels(kMaxBmpSide, 1)),
         "1x4096: 00000000"},
        {"a negative height: rows top-down", With(good, 22, static_cast<uint32_t>(-10)),
         Read(MakeBmp({20, 10, 24}, flipped))},
        // Leniency where writers disagree and nothing is at stake.
        {"bfSize 0", With(good, 2, 0), strGood},
        {"bytes after the pixels", Cut(good, good.size() + 3), strGood},
        {"biSizeImage wrong", With(good, 34, 7), strGood},
        {"a colour count beside direct colours", With(good, 46, 999), strGood},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(Read(c.bytes).substr(0, c.strRead.size()), c.strRead) << c.pszName;
}

} // namespace
