// A skin bitmap resampled to another size for a screen of another DPI, with
// a smooth (triangle) filter that widens when the image shrinks, so that
// every source pixel counts. Pixels are 0xAARRGGBB with premultiplied colour,
// as the system's alpha blending takes them; a pixel whose neighbourhood is
// wholly transparent (0) stays exactly 0, so the window's outline follows
// the image. Free of Win32, so that it is tested natively.
#pragma once

#include <cstdint>
#include <vector>

// nWidth x nHeight pixels, row by row (either way up: the rows come out in
// the same order), as nNewWidth x nNewHeight pixels. Sizes of 0 give no pixels.
std::vector<uint32_t> ScaleSkinPixels(const uint32_t* pPixels, int nWidth, int nHeight, int nNewWidth, int nNewHeight);
