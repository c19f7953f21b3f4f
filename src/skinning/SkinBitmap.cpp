#include "skinning/SkinBitmap.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "skinning/BitmapScale.h"
#include "skinning/BmpFile.h"

namespace {

// Rectangles handed to the system in one call. Wine adds the rectangles of
// one call to the region one at a time, at a cost that grows faster than
// their number: the 32,768 runs of a 256 x 256 checkerboard take 9 s in one
// call and 18 ms in batches of this size united pairwise, the 8,388,608 of
// a 4096 x 4096 one 9 s. A usual skin's few hundred runs go in one call.
const size_t kRunsPerBatch = 250;

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

// One rectangle per run, all in one call; null when the system refuses them.
HRGN RegionOfRuns(const CPixelRun* pRuns, size_t nRuns)
{
    RGNDATAHEADER header = {sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(nRuns), 0,
                            {pRuns[0].nLeft, pRuns[0].nTop, pRuns[0].nRight, pRuns[0].nTop + 1}};
    std::vector<uint8_t> data(sizeof(header) + nRuns * sizeof(RECT));
    RECT* pRects = reinterpret_cast<RECT*>(data.data() + sizeof(header));
    for (size_t i = 0; i < nRuns; ++i) {
        const CPixelRun& run = pRuns[i];
        pRects[i] = RECT{run.nLeft, run.nTop, run.nRight, run.nTop + 1};
        header.rcBound.left = std::min<LONG>(header.rcBound.left, run.nLeft);
        header.rcBound.top = std::min<LONG>(header.rcBound.top, run.nTop);
        header.rcBound.right = std::max<LONG>(header.rcBound.right, run.nRight);
        header.rcBound.bottom = std::max<LONG>(header.rcBound.bottom, run.nTop + 1);
    }
    std::memcpy(data.data(), &header, sizeof(header));
    return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()));
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
    return Assign(file.pixels.data(), file.nWidth, file.nHeight);  // bottom-up, as the pixels are
}

bool CSkinBitmap::CreateScaled(const CSkinBitmap& source, int nWidth, int nHeight)
{
    if (!source.m_pBits || nWidth <= 0 || nHeight <= 0)
        return false;
    const std::vector<uint32_t> pixels =
        ScaleSkinPixels(source.m_pBits, source.GetWidth(), std::abs(source.GetHeight()), nWidth, nHeight);
    return Assign(pixels.data(), nWidth, source.GetHeight() < 0 ? -nHeight : nHeight);
}

bool CSkinBitmap::Assign(const uint32_t* pPixels, int nWidth, int nHeight)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = nWidth;
    bmi.bmiHeader.biHeight = nHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pvBits = nullptr;
    CBitmapHandle hSection(CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pvBits, nullptr, 0));
    if (!hSection || !pvBits)
        return false;
    std::memcpy(pvBits, pPixels, static_cast<size_t>(nWidth) * static_cast<size_t>(std::abs(nHeight)) * sizeof(uint32_t));

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
    return CreateRegionInBatches(FindOpaqueRuns(m_pBits, GetWidth(), GetHeight()), kRunsPerBatch);
}

HRGN CSkinBitmap::CreateRegionInBatches(const std::vector<CPixelRun>& runs, size_t nRunsPerBatch)
{
    nRunsPerBatch = std::max<size_t>(nRunsPerBatch, 1);
    // Regions of 1, 2, 4, ... batches, united pairwise as a binary counter
    // counts: a run takes part in a few unions, where uniting every batch
    // with one growing region would copy that region once per batch.
    std::vector<std::pair<CRgnHandle, int>> levels;
    bool bFailed = false;
    for (size_t i = 0; i < runs.size() && !bFailed; i += nRunsPerBatch) {
        CRgnHandle hBatch(RegionOfRuns(runs.data() + i, std::min(nRunsPerBatch, runs.size() - i)));
        if (!hBatch)
            break;
        int nLevel = 0;
        for (; !levels.empty() && levels.back().second == nLevel; ++nLevel) {
            bFailed = CombineRgn(hBatch, levels.back().first, hBatch, RGN_OR) == ERROR;
            if (bFailed)
                break;
            levels.pop_back();
        }
        levels.emplace_back(std::move(hBatch), nLevel);
    }
    if (levels.size() == 1)
        return levels.front().first.Release();
    HRGN hRegion = CreateRectRgn(0, 0, 0, 0);
    for (const auto& level : levels)
        CombineRgn(hRegion, hRegion, level.first, RGN_OR);
    return hRegion;
}
