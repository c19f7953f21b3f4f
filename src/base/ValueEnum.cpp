#include "base/ValueEnum.h"

#include <algorithm>

#include "base/ErrorCodes.h"

namespace {

const int kReadTries = 5;
const size_t kMaxValueName = 16383;  // the registry's longest value name, in characters

} // namespace

uint32_t EnumValues(const FnEnumValue& fnEnum, uint32_t cchName, uint32_t cbData, const FnOnValue& fnOnValue)
{
    std::vector<WChar> name(cchName + size_t(1));
    std::vector<uint8_t> data(std::max<uint32_t>(cbData, 1));
    for (uint32_t nIndex = 0;; ++nIndex) {
        CEnumValue value;
        uint32_t dwError = kErrorMoreData;
        for (int nTry = 0; dwError == kErrorMoreData && nTry < kReadTries; ++nTry) {
            uint32_t cch = static_cast<uint32_t>(name.size());
            uint32_t cb = static_cast<uint32_t>(data.size());
            dwError = fnEnum(nIndex, name.data(), cch, value.dwType, data.data(), cb);
            if (dwError == kErrorSuccess) {
                value.strName.assign(name.data(), std::min<size_t>(cch, name.size()));
                value.data.assign(data.begin(), data.begin() + std::min<size_t>(cb, data.size()));
            } else if (dwError == kErrorMoreData) {
                name.resize(std::max(name.size(), kMaxValueName + 1));
                data.resize(std::max<size_t>(cb, 2 * data.size()));
            }
        }
        if (dwError == kErrorNoMoreItems)
            return kErrorSuccess;
        if (dwError != kErrorSuccess)
            return dwError;
        fnOnValue(value);
    }
}
