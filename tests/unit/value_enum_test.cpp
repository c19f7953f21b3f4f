// The walk over a registry key's values, with a function object standing in
// for RegEnumValueW: it ends at the end of the values and at any other error
// (a key that fails for good cannot hold its caller), and a value that grew
// since the buffers were sized is read again whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/ErrorCodes.h"
#include "base/ValueEnum.h"

namespace {

struct CFakeValue {
    std::string strName;
    std::string strData;
};

// The key's values, then, from index nFailAt on, dwFailure for good.
struct CFakeKey {
    std::vector<CFakeValue> values;
    uint32_t nFailAt = 1000;
    uint32_t dwFailure = kErrorNoMoreItems;
    int nCalls = 0;

    uint32_t Enum(uint32_t nIndex, WChar* pszName, uint32_t& cchName, uint32_t& dwType, uint8_t* pbData,
                  uint32_t& cbData)
    {
        if (++nCalls > 100)
            return kErrorNoMoreItems;  // the loop would go on for ever: end it for the test to fail
        if (nIndex >= nFailAt)
            return dwFailure;
        if (nIndex >= values.size())
            return kErrorNoMoreItems;
        const CFakeValue& value = values[nIndex];
        if (value.strName.size() + 1 > cchName || value.strData.size() > cbData) {
            cbData = static_cast<uint32_t>(value.strData.size());
            return kErrorMoreData;
        }
        for (size_t i = 0; i <= value.strName.size(); ++i)
            pszName[i] = i < value.strName.size() ? static_cast<WChar>(value.strName[i]) : 0;
        cchName = static_cast<uint32_t>(value.strName.size());
        std::copy(value.strData.begin(), value.strData.end(), pbData);
        cbData = static_cast<uint32_t>(value.strData.size());
        dwType = 1;
        return kErrorSuccess;
    }
};

TEST(ValueEnum, EndsAtTheEndOrAtAnyOtherErrorAndReadsGrownValuesWhole)
{
    const std::vector<CFakeValue> values = {{"Port", "COM5"}, {"Numbers", std::string(300, 'x')}, {"Model", ""}};
    const struct {
        uint32_t nFailAt;
        uint32_t dwFailure;
        uint32_t dwResult;
        size_t nSeen;
    } aCases[] = {
        {1000, kErrorNoMoreItems, kErrorSuccess, 3},
        {1, kErrorAccessDenied, kErrorAccessDenied, 1},       // fails for good after the first
        {0, 1018 /* ERROR_KEY_DELETED */, 1018, 0},
        {2, kErrorMoreData, kErrorMoreData, 2},                // says "more" whatever it is given
    };
    for (const auto& c : aCases) {
        CFakeKey key{values, c.nFailAt, c.dwFailure};
        std::vector<CFakeValue> seen;
        const uint32_t dwResult = EnumValues(
            [&key](uint32_t n, WChar* pszName, uint32_t& cch, uint32_t& dwType, uint8_t* pb, uint32_t& cb) {
                return key.Enum(n, pszName, cch, dwType, pb, cb);
            },
            4, 8,  // sized before "Numbers" grew to 300 bytes and a longer name came
            [&seen](const CEnumValue& value) {
                seen.push_back({WideToUtf8(value.strName), std::string(value.data.begin(), value.data.end())});
            });
        EXPECT_EQ(dwResult, c.dwResult) << c.nFailAt;
        ASSERT_EQ(seen.size(), c.nSeen) << c.nFailAt;
        for (size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].strName, values[i].strName);
            EXPECT_EQ(seen[i].strData, values[i].strData);
        }
        EXPECT_LT(key.nCalls, 100) << c.nFailAt;
    }
}

} // namespace
