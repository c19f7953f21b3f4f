// Any bytes as a skin bitmap file. An accepted file has sides of 1 to
// kMaxBmpSide, one pixel for each of them, no more pixels than its bytes can
// carry, never white without alpha, and, with fewer than 32 bits per pixel,
// only opaque or fully transparent pixels. A refused one leaves nothing.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "skinning/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);  // its exact size: a read past it is a report
    CBmpFile file;
    if (!file.Read(bytes.data(), bytes.size())) {
        if (file.nWidth || file.nHeight || !file.pixels.empty())
            std::abort();
        return 0;
    }
    if (file.nWidth < 1 || file.nWidth > kMaxBmpSide || file.nHeight < 1 || file.nHeight > kMaxBmpSide)
        std::abort();
    const size_t nPixels = static_cast<size_t>(file.nWidth) * static_cast<size_t>(file.nHeight);
    if (file.pixels.size() != nPixels || nPixels / 8 > size)
        std::abort();
    const bool bOpaque = (bytes[28] | bytes[29] << 8) < 32;  // biBitCount
    for (uint32_t nPixel : file.pixels)
        if (nPixel == 0x00FFFFFF || (bOpaque && nPixel != 0 && nPixel < 0xFF000000u))
            std::abort();
    return 0;
}
