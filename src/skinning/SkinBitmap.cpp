#include "skinning/SkinBitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "skinning/BmpFile.h"
#include "skinning/SkinRegion.h"

namespace {

// The whole file; false when it cannot be read or is larger than any bitmap
// the reader takes, so that no file makes the program allocate without bound.
bool ReadWholeFile(const WString& strPath, std::vector<uint8_t>& bytes)
{
    const CFileHandle hFile(CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!hFile || !GetFileSizeEx(hFile, &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxBmpFileSize)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD nRead = 0;
    return bytes.empty() ||
           (ReadFile(hFile, bytes.data(), static_cast<DWORD>(bytes.size()), &nRead, nullptr) && nRead == bytes.size());
}

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
    std::vector<uint8_t> bytes;
    CBmpFile file;
    if (!ReadWholeFile(strPath, bytes) || !file.Read(bytes.data(), bytes.size()))
        return false;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = file.nWidth;
    bmi.bmiHeader.biHeight = file.nHeight;  // bottom-up, as the pixels are
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pvBits = nullptr;
    CBitmapHandle hSection(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0));
    if (!hSection || !pvBits)
        return false;
    std::memcpy(pvBits, file.pixels.data(), file.pixels.size() * sizeof(uint32_t));

    m_hBitmap = std::move(hSection);
    m_bmi = bmi;
    m_pBits = static_cast<uint32_t*>(pvBits);
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
