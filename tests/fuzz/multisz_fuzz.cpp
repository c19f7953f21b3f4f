// The list decoder on arbitrary registry data: it must never read outside the
// data, and whatever it reads must survive a write and a second read intact.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/MultiSz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A copy of exactly the given size, so that a read past it is caught.
    std::vector<uint8_t> abData(data, data + size);
    std::vector<WString> aList;
    const bool bValid = DecodeMultiSz(abData.empty() ? nullptr : abData.data(), abData.size(), aList);
    if (!bValid && !aList.empty())
        std::abort();
    for (const WString& str : aList) {
        if (str.empty() || str.find(WChar(0)) != WString::npos)
            std::abort();
    }
    const std::vector<uint8_t> abWritten = EncodeMultiSz(aList);
    std::vector<WString> aReread;
    DecodeMultiSz(abWritten.data(), abWritten.size(), aReread);
    if (aReread != aList)
        std::abort();
    return 0;
}
