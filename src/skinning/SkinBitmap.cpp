#include "skinning/SkinBitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skinning/SkinRegion.h"

namespace {

const uint32_t kWhiteKey = 0x00FFFFFF;
const LONG kMaxSide = 16384;  // far beyond any dialog; keeps the pixel count in range

// Room for a header and the largest colour table GetDIBits may write.
struct CDibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD aColors[256];
};

// The runs united one by one, for a system that refuses them all at once; a
// run that cannot be added leaves the region with those added before it.
HRGN UniteRuns(const std::vector<CPixelRun>& runs)
{
    HRGN hRegion = CreateRectRgn(0, 0, 0, 0);
    for (const CPixelRun& run : runs) {
        const CRgnHandle hRun(CreateRectRgn(run.nLeft, run.nTop, run.nRight, run.nTop + 1));
        if (!hRun || CombineRgn(hRegion, hRegion, hRun, RGN_OR) == ERROR)
            break;
    }
    return hRegion;
}

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

void CSkinBitmap::Draw(HDC hDC, int x, int y, int nWidth, int nHeight, int xSrc, int ySrc, int nSrcWidth,
                       int nSrcHeight) const
{
    if (!m_hBitmap)
        return;
    const auto Or = [](int nValue, int nDefault) { return nValue == -1 ? nDefault : nValue; };
    const CMemoryDC memDC(CreateCompatibleDC(hDC));
    const CSelectObject select(memDC, m_hBitmap);
    const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(hDC, Or(x, 0), Or(y, 0), Or(nWidth, GetWidth()), Or(nHeight, GetHeight()), memDC, Or(xSrc, 0),
               Or(ySrc, 0), Or(nSrcWidth, GetWidth()), Or(nSrcHeight, GetHeight()), blend);
}

HRGN CSkinBitmap::CreateRegion() const
{
    const std::vector<CPixelRun> runs = FindOpaqueRuns(m_pBits, GetWidth(), GetHeight());
    if (runs.empty())
        return CreateRectRgn(0, 0, 0, 0);
    // All runs at once: far cheaper than uniting them one by one.
    RGNDATAHEADER header = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(runs.size()), 0,
                            {GetWidth(), GetHeight(), 0, 0}};
    std::vector<uint8_t> data(sizeof(header) + runs.size() * sizeof(RECT));
    RECT* pRects = reinterpret_cast<RECT*>(data.data() + sizeof(header));
    for (size_t i = 0; i < runs.size(); ++i) {
        const CPixelRun& run = runs[i];
        pRects[i] = RECT{run.nLeft, run.nTop, run.nRight, run.nTop + 1};
        header.rcBound.left = std::min<LONG>(header.rcBound.left, run.nLeft);
        header.rcBound.top = std::min<LONG>(header.rcBound.top, run.nTop);
        header.rcBound.right = std::max<LONG>(header.rcBound.right, run.nRight);
        header.rcBound.bottom = std::max<LONG>(header.rcBound.bottom, run.nTop + 1);
    }
    std::memcpy(data.data(), &header, sizeof(header));
    HRGN hRegion = ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
    return hRegion ? hRegion : UniteRuns(runs);
}
