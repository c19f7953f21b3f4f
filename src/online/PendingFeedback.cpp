#include "online/PendingFeedback.h"

#include "base/Raii.h"
#include "base/Settings.h"

namespace {

const char kValueName[] = "PendingFeedback";

// The window's thread keeps what the user sends, the report worker what it
// tried: each change is one read and one write of the whole value.
CCriticalSection& Lock()
{
    static CCriticalSection cs;
    return cs;
}

// The elements without those of strQuery.
std::vector<WString> ReadOthers(const WString& strQuery)
{
    std::vector<WString> aList, aOthers;
    GetSettingsKey().ReadList(kValueName, aList);
    for (const WString& strElement : aList) {
        CReport report;
        if (ParsePendingFeedback(strElement, report) && report.strQuery != strQuery)
            aOthers.push_back(strElement);
    }
    return aOthers;
}

void Write(const std::vector<WString>& aList)
{
    CSettingsKey& key = GetSettingsKey();
    if (aList.empty())
        key.DeleteValue(kValueName);
    else
        key.WriteList(kValueName, aList);
}

} // namespace

std::vector<CReport> CPendingFeedback::Load()
{
    CLock lock(Lock());
    std::vector<WString> aList;
    GetSettingsKey().ReadList(kValueName, aList);
    std::vector<CReport> reports;
    for (const WString& strElement : aList) {
        CReport report;
        if (ParsePendingFeedback(strElement, report))
            reports.push_back(report);
    }
    return reports;
}

void CPendingFeedback::Keep(const CReport& report)
{
    CLock lock(Lock());
    std::vector<WString> aList = ReadOthers(report.strQuery);
    aList.push_back(FormatPendingFeedback(report));
    Write(aList);
}

void CPendingFeedback::Remove(const WString& strQuery)
{
    CLock lock(Lock());
    Write(ReadOthers(strQuery));
}
