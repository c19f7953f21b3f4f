#include "skinning/SkinRegion.h"

std::vector<CPixelRun> FindOpaqueRuns(const uint32_t* pBits, int nWidth, int nHeight)
{
    std::vector<CPixelRun> runs;
    if (!pBits || nWidth <= 0 || nHeight <= 0)
        return runs;
    for (int y = 0; y < nHeight; ++y) {
        const uint32_t* pRow = pBits + static_cast<size_t>(nHeight - 1 - y) * static_cast<size_t>(nWidth);
        int x = 0;
        while (x < nWidth) {
            while (x < nWidth && pRow[x] == 0)
                ++x;
            const int nLeft = x;
            while (x < nWidth && pRow[x] != 0)
                ++x;
            if (x > nLeft)
                runs.push_back(CPixelRun{nLeft, y, x});
        }
    }
    return runs;
}
