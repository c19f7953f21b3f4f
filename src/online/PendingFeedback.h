// The setting "PendingFeedback" (REG_MULTI_SZ, FormatPendingFeedback's
// elements): the feedback reports the server has not accepted yet, sent
// again at the next starts. Every read and write of it goes through here.
#pragma once

#include <vector>

#include "online/ReportQueue.h"

class CPendingFeedback {
public:
    // The reports kept; elements of another form are left out.
    static std::vector<CReport> Load();
    // The kept report of strQuery with its count of failed starts; false
    // when it is not kept (any more).
    static bool Find(const WString& strQuery, CReport& report);
    // Keeps the report with its count of failed starts, in place of an
    // element of the same query; false when that could not be written.
    static bool Keep(const CReport& report);
    // The server took it, or it is given up.
    static void Remove(const WString& strQuery);
};
