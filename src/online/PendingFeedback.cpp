#include "online/PendingFeedback.h"

#include <algorithm>

#include "base/ErrorCodes.h"
#include "base/ListStore.h"
#include "base/SettingsListKey.h"

namespace {

const WChar kValueName[] = WSTR("PendingFeedback");

// The window's thread keeps what the user sends, the report worker what it
// tried, and another instance may do the same: each change is one locked
// read-modify-write of the whole value.
uint32_t Change(const CListStore::FnChange& fnChange)
{
    CSettingsListKey key;
    return CListStore(key).Update(kValueName, fnChange);
}

// Drops the elements of strQuery (and those of no known form).
void RemoveQuery(std::vector<WString>& aList, const WString& strQuery)
{
    aList.erase(std::remove_if(aList.begin(), aList.end(),
                               [&](const WString& strElement) {
                                   CReport report;
                                   return !ParsePendingFeedback(strElement, report) || report.strQuery == strQuery;
                               }),
                aList.end());
}

} // namespace

std::vector<CReport> CPendingFeedback::Load()
{
    CSettingsListKey key;
    std::vector<CReport> reports;
    for (const WString& strElement : CListStore(key).Read(kValueName)) {
        CReport report;
        if (ParsePendingFeedback(strElement, report))
            reports.push_back(report);
    }
    return reports;
}

bool CPendingFeedback::Find(const WString& strQuery, CReport& report)
{
    for (const CReport& kept : Load()) {
        if (kept.strQuery == strQuery) {
            report = kept;
            return true;
        }
    }
    return false;
}

bool CPendingFeedback::Keep(const CReport& report)
{
    return Change([&](std::vector<WString>& aList) {
               RemoveQuery(aList, report.strQuery);
               aList.push_back(FormatPendingFeedback(report));
               return true;
           }) == kErrorSuccess;
}

void CPendingFeedback::Remove(const WString& strQuery)
{
    Change([&](std::vector<WString>& aList) {
        const size_t nBefore = aList.size();
        RemoveQuery(aList, strQuery);
        return aList.size() != nBefore;
    });
}
