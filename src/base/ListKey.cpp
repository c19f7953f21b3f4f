#include "base/ListKey.h"

#include <algorithm>

#include "base/ErrorCodes.h"

// A value that grew before its data were read answers kErrorMoreData with
// its new size, and is read again with that.
uint32_t CListKey::ReadData(const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data, bool)
{
    uint32_t cbData = 0;
    uint32_t dwError = QueryValue(strName, dwType, nullptr, cbData);
    data.clear();
    if (dwError != kErrorSuccess || cbData == 0)
        return dwError;
    for (int nTry = 0; dwError == kErrorSuccess && nTry < kReadTries; ++nTry) {
        data.assign(cbData, 0);
        uint32_t cbRead = cbData;
        dwError = QueryValue(strName, dwType, data.data(), cbRead);
        if (dwError == kErrorSuccess) {
            data.resize(std::min(cbRead, cbData));
            return kErrorSuccess;
        }
        if (dwError == kErrorMoreData && cbRead > cbData) {
            cbData = cbRead;
            dwError = kErrorSuccess;
        }
    }
    return dwError == kErrorSuccess ? kErrorMoreData : dwError;
}

uint32_t CListKey::ReadShared(const WString& strName, uint32_t& dwType,
                              std::shared_ptr<const std::vector<uint8_t>>& pData)
{
    const auto pRead = std::make_shared<std::vector<uint8_t>>();
    const uint32_t dwError = ReadData(strName, dwType, *pRead, false);
    pData = pRead;
    return dwError;
}
