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

class CScreenDC {
public:
    CScreenDC() : m_hDC(GetDC(nullptr)) {}
    ~CScreenDC() { ReleaseDC(nullptr, m_hDC); }
    operator HDC() const { return m_hDC; }

private:
    HDC m_hDC;
};

class CGdiBitmap {
public:
    explicit CGdiBitmap(HANDLE h) : m_hBitmap(static_cast<HBITMAP>(h)) {}
    ~CGdiBitmap()
    {
        if (m_hBitmap)
            DeleteObject(m_hBitmap);
    }
    operator HBITMAP() const { return m_hBitmap; }

private:
    HBITMAP m_hBitmap;
};

} // namespace

CSkinBitmap::CSkinBitmap() : m_hBitmap(nullptr), m_pBits(nullptr)
{
    std::memset(&m_bmi, 0, sizeof(m_bmi));
}

CSkinBitmap::~CSkinBitmap()
{
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
}

bool CSkinBitmap::Load(const WString& strPath)
{
    const CGdiBitmap loaded(
        LoadImageW(nullptr, strPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE));
    if (!loaded)
        return false;
    const CScreenDC dc;
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
    HBITMAP hSection = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0);
    if (!hSection || !pvBits) {
        if (hSection)
            DeleteObject(hSection);
        return false;
    }
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

    if (m_hBitmap)
        DeleteObject(m_hBitmap);
    m_hBitmap = hSection;
    m_bmi = bmi;
    m_pBits = pBits;
    return true;
}
