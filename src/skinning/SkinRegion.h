// The window outline of a skin bitmap: every pixel whose 32-bit value is not
// 0 belongs to the window. Built from horizontal runs of such pixels, one
// rectangle per run, which is the same set of pixels as one rectangle per
// pixel at a fraction of the cost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct CPixelRun {
    int nLeft, nTop, nRight;  // the run covers [nLeft, nRight) of row nTop (top-down)
};

// The runs of a bottom-up 32-bit bitmap (the first row of pixels is the
// bottom row of the image), top row first, left to right.
std::vector<CPixelRun> FindOpaqueRuns(const uint32_t* pBits, int nWidth, int nHeight);
