#include "skinning/SkinBitmap.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kWhiteKey = 0x00FFFFFF;
const LONG kMaxSide = 16384;  // far beyond any dialog; keeps the pixel count in range

// Room for a header and the largest colour table GetDIBits may write.
struct CDibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD aColors[256];
};

} // namespace

CSkinBitmap::CSkinBitmap() : m_pBits(nullptr)
{
    std::memset(&m_bmi, 0, sizeof(m_bmi));
}

CSkinBitmap::~CSkinBitmap() = default;

bool CSkinBitmap::Load(const WString& strPath)
{
    const CBitmapHandle loaded(static_cast<HBITMAP>(
        LoadImageW(nullptr, strPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE)));
    if (!loaded)
        return false;
    const CWindowDC dc;
    CDibInfo info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    if (GetDIBits(dc, loaded, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) < 1)
        return false;
    const bool bHasAlpha = info.header.biBitCount == 32;
    const LONG nWidth = info.header.biWidth;
    const LONG nHeight = info.header.biHeight < 0 ? -info.header.biHeight : info.header.biHeight;
    if (nWidth <= 0 || nHeight <= 0 || nWidth > kMaxSide || nHeight > kMaxSide)
        return false;

    // All rows as 32-bit pixels, in the file's own row order.
    const bool bTopDown = info.header.biHeight < 0;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = 0;
    info.header.biClrUsed = 0;
    info.header.biClrImportant = 0;
    std::vector<uint32_t> pixels(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    if (GetDIBits(dc, loaded, 0, static_cast<UINT>(nHeight), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
                  DIB_RGB_COLORS) != nHeight ||
        info.header.biBitCount != 32)
        return false;

    // The object holds its rows bottom-up whatever the file's order.
    BITMAPINFO bmi = {};
    bmi.bmiHeader = info.header;
    bmi.bmiHeader.biHeight = nHeight;
    void* pvBits = nullptr;
    CBitmapHandle hSection(CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0));
    if (!hSection || !pvBits)
        return false;
    uint32_t* pBits = static_cast<uint32_t*>(pvBits);
    for (LONG y = 0; y < nHeight; ++y) {
        const uint32_t* pRow = &pixels[static_cast<size_t>(bTopDown ? nHeight - 1 - y : y) * nWidth];
        uint32_t* pOut = pBits + static_cast<size_t>(y) * nWidth;
        for (LONG x = 0; x < nWidth; ++x) {
            const uint32_t nPixel = pRow[x];
            if (nPixel == kWhiteKey)
                pOut[x] = 0;
            else
                pOut[x] = bHasAlpha ? nPixel : (nPixel | 0xFF000000u);
        }
    }
    GdiFlush();

    m_hBitmap = std::move(hSection);
    m_bmi = bmi;
    m_pBits = pBits;
    return true;
}
