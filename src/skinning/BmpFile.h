// A skin bitmap read from the bytes of its .bmp file, without the system's
// loader: a file cut short or lying about its size is refused here instead of
// being trusted, and the reader builds and is fuzzed natively.
//
// Taken: a BITMAPINFOHEADER or one of the headers that extend it (52, 56,
// 108 or 124 bytes), one plane, 1, 4, 8, 16, 24 or 32 bits per pixel,
// BI_RGB or (16 and 32 bits) BI_BITFIELDS, rows bottom-up or top-down,
// width and height 1 to kMaxBmpSide. The colour table, the masks and the
// whole pixel array must lie inside the file, and the file may not be
// shorter than its header's bfSize. Anything else is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Larger sides would let one skin file claim gigabytes for its pixels and
// its window region; no dialog comes near.
const int kMaxBmpSide = 4096;

// No file this reader takes needs more: the largest pixel array, the
// largest header and colour table, and room for what some writers append.
const size_t kMaxBmpFileSize = static_cast<size_t>(kMaxBmpSide) * kMaxBmpSide * 4 + (1u << 20);

struct CBmpFile {
    int nWidth = 0;
    int nHeight = 0;
    // nWidth x nHeight pixels 0xAARRGGBB, the bottom row first, as the skin
    // uses them: 0x00FFFFFF (white without alpha) becomes 0, transparent. A
    // file without alpha (every file of fewer than 32 bits, and 32-bit
    // files whose masks leave no byte for it) is opaque except for its pure
    // white, which stays 0: white is the colour key of such a skin.
    std::vector<uint32_t> pixels;

    // Reads the file's bytes; on failure the object is left empty.
    bool Read(const uint8_t* pData, size_t nSize);
};
