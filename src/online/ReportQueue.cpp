#include "online/ReportQueue.h"

#include <algorithm>
#include <string>

void PushReport(std::deque<CReport>& queue, const CReport& report)
{
    queue.push_back(report);
    if (queue.size() <= kMaxQueuedReports)
        return;
    const auto it = std::find_if(queue.begin(), queue.end(), [](const CReport& r) { return !r.bFeedback; });
    if (it != queue.end())
        queue.erase(it);
}

bool KeepAfterFailure(CReport& report)
{
    ++report.nFailedStarts;
    return report.nFailedStarts < kMaxFailedStarts;
}

WString FormatPendingFeedback(const CReport& report)
{
    const std::string strCount = std::to_string(report.nFailedStarts);
    return WString(strCount.begin(), strCount.end()) + WSTR(" ") + report.strQuery;
}

bool ParsePendingFeedback(const WString& strElement, CReport& report)
{
    const size_t nSpace = strElement.find(' ');
    if (nSpace == 0 || nSpace == WString::npos || nSpace > 2 || nSpace + 1 == strElement.size() ||
        strElement.find(' ', nSpace + 1) != WString::npos)
        return false;
    unsigned nCount = 0;
    for (size_t i = 0; i < nSpace; ++i) {
        if (strElement[i] < '0' || strElement[i] > '9')
            return false;
        nCount = nCount * 10 + static_cast<unsigned>(strElement[i] - '0');
    }
    report.strQuery = strElement.substr(nSpace + 1);
    report.bFeedback = true;
    report.nFailedStarts = nCount;
    report.bKept = true;
    return true;
}
