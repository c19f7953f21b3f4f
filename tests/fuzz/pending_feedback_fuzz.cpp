// "PendingFeedback" as any registry data: every element a feedback report
// (its count of failed starts, a query without a space) or left out; one
// read writes back as what it read; counting failed starts gives it up
// after the third; the queue never drops a feedback report.
//
// Input: the first byte chooses the value's type (REG_MULTI_SZ mostly); the
// rest is its data.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "../support/FakeListKey.h"
#include "FuzzInput.h"
#include "base/ListStore.h"
#include "online/ReportQueue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint32_t kTypes[] = {kRegMultiSz, kRegMultiSz, kRegMultiSz, 1};
    const uint32_t dwType = kTypes[in.Byte() & 3];
    const std::string strData = in.Rest();
    CFakeListKey key;
    key.Put(WSTR("PendingFeedback"), std::vector<uint8_t>(strData.begin(), strData.end()), dwType);
    std::deque<CReport> queue;
    size_t nFeedback = 0;
    for (const WString& strElement : CListStore(key).Read(WSTR("PendingFeedback"))) {
        CReport report;
        if (!ParsePendingFeedback(strElement, report))
            continue;
        Check(report.bFeedback && report.bKept && !report.strQuery.empty() &&
              report.strQuery.find(' ') == WString::npos && report.nFailedStarts <= 99);
        CReport again;
        Check(ParsePendingFeedback(FormatPendingFeedback(report), again) && again.strQuery == report.strQuery &&
              again.nFailedStarts == report.nFailedStarts);
        CReport counted = report;
        Check(KeepAfterFailure(counted) == (report.nFailedStarts + 1 < kMaxFailedStarts));
        PushReport(queue, report);
        ++nFeedback;
        CReport stats;
        PushReport(queue, stats);
    }
    size_t nQueuedFeedback = 0;
    for (const CReport& report : queue)
        nQueuedFeedback += report.bFeedback;
    Check(nQueuedFeedback == nFeedback && (queue.size() <= kMaxQueuedReports || queue.size() == nFeedback));
    return 0;
}
