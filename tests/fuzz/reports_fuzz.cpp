// "Reports" as any registry data: read without harm, every part read in
// range; a whole value keeps every element besides the part added and the
// report applied to it, a damaged one is never written over; the report
// for the part just added finds a part.
//
// Input: the first byte chooses the value's type (REG_MULTI_SZ mostly) and
// the report's status (TP-ST); the rest is the value's data.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "../support/FakeListKey.h"
#include "FuzzInput.h"
#include "base/ErrorCodes.h"
#include "base/ListStore.h"
#include "app/ReportStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t btMode = in.Byte();
    const uint32_t kTypes[] = {kRegMultiSz, kRegMultiSz, kRegMultiSz, 3};
    const std::string strData = in.Rest();
    CFakeListKey key;
    key.Put(CReportStore::kValue, std::vector<uint8_t>(strData.begin(), strData.end()), kTypes[btMode & 3]);
    CReportStore store(key);
    for (const auto& message : store.Read()) {
        for (const CSentPart& part : message.second)
            Check(part.nRef <= 255 && part.state <= EPartDelivery::PART_UNCONFIRMED);
    }
    std::vector<WString> before;
    const bool bWhole = CListStore(key).ReadWhole(CReportStore::kValue, before) == kErrorSuccess;
    const std::vector<uint8_t> abBefore = key.Get(CReportStore::kValue);

    const int64_t nNow = 1800000000;
    CSentPart part;
    part.strNumber = WSTR("+4917012345");
    part.nRef = 77;
    part.nSentAt = nNow - 60;
    const WString strKey = GetDeliveryKey(part.strNumber, WSTR("01.01.2027 10:00:00"), WSTR("fuzz"));
    const uint32_t dwAdded = store.Add(strKey, {part});
    Check((dwAdded == kErrorSuccess) == bWhole);
    if (!bWhole) {
        Check(key.Get(CReportStore::kValue) == abBefore);
        return 0;
    }
    std::vector<WString> after;
    Check(CListStore(key).ReadWhole(CReportStore::kValue, after) == kErrorSuccess);
    const size_t nMax = CReportStore::kMaxParts;
    Check(after.size() == (before.size() < nMax ? before.size() + 1 : nMax));
    Check(std::equal(after.begin(), after.end() - 1, before.end() - static_cast<std::ptrdiff_t>(after.size() - 1)));

    CStatusReport report;
    report.bDecoded = true;
    report.nMr = part.nRef;
    report.strRecipient = part.strNumber;
    report.btStatus = static_cast<uint8_t>(btMode >> 2);
    std::vector<WString> matched;
    store.Apply({report}, nNow, matched);
    Check(matched.size() == 1 && !matched[0].empty());  // this part, or one as recent of the same number and reference
    return 0;
}
