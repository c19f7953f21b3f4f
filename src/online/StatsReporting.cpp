#include "online/StatsReporting.h"

#include <string>

#include "online/SendReport.h"
#include "base/Text.h"
#include "base/Trace.h"

namespace {

// Set while this thread hands a pair over: a pair reported on the way (by the
// report sender's own start, say) is dropped instead of re-entering.
thread_local bool t_bReporting = false;

void OnReportedPair(const std::string& strText)
{
    if (t_bReporting)
        return;
    t_bReporting = true;
    GetReportSender().SendStats(AnsiToWide(strText));
    t_bReporting = false;
}

} // namespace

CStatsReporting::CStatsReporting()
{
    SetReportedPairHandler(&OnReportedPair);
}

CStatsReporting::~CStatsReporting()
{
    SetReportedPairHandler(nullptr);
}
