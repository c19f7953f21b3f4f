// One skin bitmap, held as a 32-bit DIB section with per-pixel alpha so that
// it can be alpha-blended and turned into a window region.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/Raii.h"
#include "base/Text.h"
#include "skinning/SkinRegion.h"

class CSkinBitmap {
public:
    CSkinBitmap();
    ~CSkinBitmap();
    CSkinBitmap(const CSkinBitmap&) = delete;
    CSkinBitmap& operator=(const CSkinBitmap&) = delete;

    // Loads a .bmp file that CBmpFile reads (any other fails the load), with
    // its rules: pixels that are exactly 0x00FFFFFF (white without alpha)
    // become 0, fully transparent; a file without an alpha channel is opaque
    // except for its pure white pixels, which stay transparent; a 32-bit file
    // keeps its own alpha. On failure the bitmap held before is kept.
    bool Load(const WString& strPath);
    // Another bitmap resampled to nWidth x nHeight (ScaleSkinPixels); on
    // failure the bitmap held before is kept.
    bool CreateScaled(const CSkinBitmap& source, int nWidth, int nHeight);

    HBITMAP GetHandle() const { return m_hBitmap.Get(); }
    int GetWidth() const { return m_bmi.bmiHeader.biWidth; }
    int GetHeight() const { return m_bmi.bmiHeader.biHeight; }  // positive: rows bottom-up
    const BITMAPINFO& GetInfo() const { return m_bmi; }
    // Width x height pixels 0xAARRGGBB, the bottom row first; null before a load.
    const uint32_t* GetBits() const { return m_pBits; }

    // Blends the part (xSrc, ySrc, nSrcWidth, nSrcHeight) of the bitmap with
    // its per-pixel alpha onto hDC at (x, y) in the size (nWidth, nHeight).
    // An argument of -1 takes its default: positions 0, sizes the bitmap's.
    void Draw(HDC hDC, int x = -1, int y = -1, int nWidth = -1, int nHeight = -1, int xSrc = -1, int ySrc = -1,
              int nSrcWidth = -1, int nSrcHeight = -1) const;

    // The window outline: every pixel that is not 0, pixel (x, y) of the
    // image at point (x, y). Empty before a load. The caller owns the region
    // until SetWindowRgn takes it.
    HRGN CreateRegion() const;
    // The outline of the runs, built from batches of at most nRunsPerBatch
    // rectangles, each handed to the system in one call, and united. When
    // the system refuses a batch or a union, the region holds the runs
    // united before it.
    static HRGN CreateRegionInBatches(const std::vector<CPixelRun>& runs, size_t nRunsPerBatch);

private:
    // A DIB section of the pixels (bottom-up when nHeight is positive).
    bool Assign(const uint32_t* pPixels, int nWidth, int nHeight);

    CBitmapHandle m_hBitmap;
    BITMAPINFO m_bmi;
    uint32_t* m_pBits;
};
