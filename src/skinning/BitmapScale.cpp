#include "skinning/BitmapScale.h"

#include <algorithm>
#include <cmath>

namespace {

// The source pixels that make one destination pixel, and their weights.
struct CTaps {
    int nFirst = 0;
    std::vector<float> weights;
};

// One axis: nFrom pixels to nTo. The filter is a triangle one source pixel
// wide when enlarging (linear interpolation) and as wide as a destination
// pixel covers when shrinking; at the edges only the pixels inside count.
std::vector<CTaps> AxisTaps(int nFrom, int nTo)
{
    const double dScale = static_cast<double>(nFrom) / nTo;
    const double dRadius = std::max(1.0, dScale);
    std::vector<CTaps> axis(static_cast<size_t>(nTo));
    for (int i = 0; i < nTo; ++i) {
        const double dCentre = (i + 0.5) * dScale - 0.5;
        const int nFirst = std::max(0, static_cast<int>(std::ceil(dCentre - dRadius)));
        const int nLast = std::min(nFrom - 1, static_cast<int>(std::floor(dCentre + dRadius)));
        CTaps& taps = axis[static_cast<size_t>(i)];
        taps.nFirst = nFirst;
        double dSum = 0;
        for (int j = nFirst; j <= nLast; ++j) {
            const double dWeight = std::max(0.0, 1.0 - std::fabs(j - dCentre) / dRadius);
            taps.weights.push_back(static_cast<float>(dWeight));
            dSum += dWeight;
        }
        for (float& fWeight : taps.weights)
            fWeight = dSum > 0 ? static_cast<float>(fWeight / dSum) : 0.0f;
    }
    return axis;
}

// A pixel as four channels, and back (rounded, colour at most the alpha).
struct CChannels {
    float a = 0, r = 0, g = 0, b = 0;

    void Add(uint32_t nPixel, float fWeight)
    {
        a += fWeight * static_cast<float>(nPixel >> 24);
        r += fWeight * static_cast<float>((nPixel >> 16) & 0xFF);
        g += fWeight * static_cast<float>((nPixel >> 8) & 0xFF);
        b += fWeight * static_cast<float>(nPixel & 0xFF);
    }
    uint32_t ToPixel() const
    {
        const auto Byte = [](float f, uint32_t nMax) {
            return std::min<uint32_t>(nMax, static_cast<uint32_t>(std::max(0.0f, f) + 0.5f));
        };
        const uint32_t nAlpha = Byte(a, 0xFF);
        return nAlpha << 24 | Byte(r, nAlpha) << 16 | Byte(g, nAlpha) << 8 | Byte(b, nAlpha);
    }
};

} // namespace

std::vector<uint32_t> ScaleSkinPixels(const uint32_t* pPixels, int nWidth, int nHeight, int nNewWidth, int nNewHeight)
{
    if (nWidth <= 0 || nHeight <= 0 || nNewWidth <= 0 || nNewHeight <= 0)
        return std::vector<uint32_t>();
    const std::vector<CTaps> columns = AxisTaps(nWidth, nNewWidth);
    const std::vector<CTaps> rows = AxisTaps(nHeight, nNewHeight);
    // Across first, every source row; then down.
    std::vector<uint32_t> across(static_cast<size_t>(nNewWidth) * static_cast<size_t>(nHeight));
    for (int y = 0; y < nHeight; ++y) {
        const uint32_t* pRow = pPixels + static_cast<size_t>(y) * static_cast<size_t>(nWidth);
        for (int x = 0; x < nNewWidth; ++x) {
            const CTaps& taps = columns[static_cast<size_t>(x)];
            CChannels out;
            for (size_t k = 0; k < taps.weights.size(); ++k)
                out.Add(pRow[static_cast<size_t>(taps.nFirst) + k], taps.weights[k]);
            across[static_cast<size_t>(y) * static_cast<size_t>(nNewWidth) + static_cast<size_t>(x)] = out.ToPixel();
        }
    }
    std::vector<uint32_t> scaled(static_cast<size_t>(nNewWidth) * static_cast<size_t>(nNewHeight));
    for (int y = 0; y < nNewHeight; ++y) {
        const CTaps& taps = rows[static_cast<size_t>(y)];
        for (int x = 0; x < nNewWidth; ++x) {
            CChannels out;
            for (size_t k = 0; k < taps.weights.size(); ++k)
                out.Add(across[(static_cast<size_t>(taps.nFirst) + k) * static_cast<size_t>(nNewWidth) + static_cast<size_t>(x)],
                        taps.weights[k]);
            scaled[static_cast<size_t>(y) * static_cast<size_t>(nNewWidth) + static_cast<size_t>(x)] = out.ToPixel();
        }
    }
    return scaled;
}
