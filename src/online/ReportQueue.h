// The reports waiting to be sent, and how a feedback report that could not
// be sent is kept for the next starts.
#pragma once

#include <cstddef>
#include <deque>

#include "base/Text.h"

// A report: its query (MakeReportQuery), and whether the user typed it. A
// feedback report is kept until the server accepts it (in the setting
// "PendingFeedback", with the starts that could not send it); usage
// statistics are tried once.
struct CReport {
    WString strQuery;
    bool bFeedback = false;
    unsigned nFailedStarts = 0;
    bool bKept = false;  // in "PendingFeedback" (read from it, or written there when typed)
};

// The most reports waiting at once: beyond that the oldest statistics
// report goes, never a feedback report.
const size_t kMaxQueuedReports = 100;
// A feedback report that this many starts could not send is given up.
const unsigned kMaxFailedStarts = 3;

void PushReport(std::deque<CReport>& queue, const CReport& report);

// Counts one more start that could not send the feedback report; false once
// it is to be given up.
bool KeepAfterFailure(CReport& report);

// A feedback report as an element of "PendingFeedback": the starts that
// could not send it, a space and its query, which holds no space.
WString FormatPendingFeedback(const CReport& report);
// False for an element of another form.
bool ParsePendingFeedback(const WString& strElement, CReport& report);
