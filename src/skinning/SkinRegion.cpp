#include "skinning/SkinRegion.h"

// PLACEHOLDER until the region lands.
std::vector<CPixelRun> FindOpaqueRuns(const uint32_t*, int, int)
{
    return std::vector<CPixelRun>();
}
