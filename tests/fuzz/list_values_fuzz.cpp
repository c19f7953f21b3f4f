// The stored lists (history, numbers, phone book) read from arbitrary
// registry data, changed and written back. A value that is not a whole list
// must never be written over; a whole one must keep every element it had
// besides the change; the phone book and the history archive must read back
// what was written.
//
// Input: the first byte chooses the value's type (REG_MULTI_SZ mostly, else
// REG_SZ, REG_BINARY or REG_DWORD); the rest is its data, stored under all
// three names.
#include <cstdint>
#include <string>
#include <vector>

#include "../support/FakeListKey.h"
#include "FuzzInput.h"
#include "base/ErrorCodes.h"
#include "app/ContactStore.h"
#include "app/HistoryStore.h"
#include "app/NumberList.h"

namespace {

const WChar kHistory[] = WSTR("NewHistory");
const WChar kNumbers[] = WSTR("Numbers");
const WChar kContacts[] = WSTR("Contacts");

bool SameRecord(const CHistoryRecord& a, const CHistoryRecord& b)
{
    return a.m_strName == b.m_strName && a.m_strNumber == b.m_strNumber && a.m_strTime == b.m_strTime &&
           a.m_strText == b.m_strText;
}

// The history archive read back: records of four labelled lines, a line
// that begins with a tab continuing the field before it, an empty line
// after each record.
std::vector<std::vector<std::string>> ParseArchive(const std::string& strArchive)
{
    std::vector<std::vector<std::string>> records(1);
    std::vector<std::string> lines = SplitBytes(strArchive, '\n');
    Check(lines.back().empty());
    lines.pop_back();
    const char* const kLabels[] = {"Name: ", "Number: ", "Time: ", "Text: "};
    for (std::string& strLine : lines) {
        Check(!strLine.empty() && strLine.back() == '\r');
        strLine.pop_back();
        std::vector<std::string>& record = records.back();
        if (strLine.empty()) {
            Check(record.size() == 4);
            records.emplace_back();
        } else if (strLine[0] == '\t') {
            Check(!record.empty());
            record.back() += "\r\n" + strLine.substr(1);
        } else {
            Check(record.size() < 4);
            const std::string strLabel = kLabels[record.size()];
            Check(strLine.compare(0, strLabel.size(), strLabel) == 0);
            record.push_back(strLine.substr(strLabel.size()));
        }
    }
    Check(records.back().empty());
    records.pop_back();
    return records;
}

void FuzzHistory(CFakeListKey& key, CFakeDataFolder& folder, bool bWhole)
{
    CHistoryStore store(key, folder);
    const std::vector<CHistoryRecord> before = store.Read();
    const std::vector<std::vector<std::string>> archived = ParseArchive(FormatHistoryArchive(before));
    Check(archived.size() == before.size());
    for (size_t i = 0; i < before.size(); ++i) {
        Check(archived[i][0] == WideToUtf8(WithCrLf(before[i].m_strName)));
        Check(archived[i][3] == WideToUtf8(WithCrLf(before[i].m_strText)));
    }

    const std::vector<uint8_t> abBefore = key.Get(kHistory);
    CHistoryRecord record;
    record.m_strNumber = WSTR("0123");
    record.m_strTime = WSTR("01/02/2026 10:30:00");
    record.m_strText = WSTR("Hi");
    uint32_t dwArchiveError = 0;
    const uint32_t dwError = store.Append(record, dwArchiveError);
    Check((dwError == kErrorSuccess) == bWhole);
    if (!bWhole) {
        Check(dwError == kErrorInvalidData && key.Get(kHistory) == abBefore);
        return;
    }
    const std::vector<CHistoryRecord> after = store.Read();
    Check(after.size() == before.size() + 1 && SameRecord(after.back(), record));
    for (size_t i = 0; i < before.size(); ++i)
        Check(SameRecord(after[i], before[i]));
}

void FuzzNumbers(CFakeListKey& key, bool bWhole)
{
    std::vector<WString> before;
    CListStore(key).ReadWhole(kNumbers, before);
    const std::vector<uint8_t> abBefore = key.Get(kNumbers);
    const uint32_t dwError = CNumberList(key).Add(WSTR("0123"));
    Check((dwError == kErrorSuccess) == bWhole);
    if (!bWhole) {
        Check(dwError == kErrorInvalidData && key.Get(kNumbers) == abBefore);
        return;
    }
    // Every other number stays, in order; the newest last; at most the cap.
    std::vector<WString> expected;
    for (const WString& str : before)
        if (str != WSTR(" 0123"))
            expected.push_back(str);
    expected.push_back(WSTR(" 0123"));
    if (expected.size() > CNumberList::kMaxNumbers)
        expected.erase(expected.begin(), expected.end() - CNumberList::kMaxNumbers);
    std::vector<WString> after;
    Check(CListStore(key).ReadWhole(kNumbers, after) == kErrorSuccess && after == expected);
}

void FuzzContacts(CFakeListKey& key)
{
    CContactStore store(key);
    const std::vector<CContact> contacts = store.Load();
    for (const CContact& contact : contacts) {
        const CContact* pFound = FindContact(contacts, contact.m_strName);
        Check(pFound && pFound->m_strName.size() == contact.m_strName.size());
    }
    if (store.Save(contacts) != kErrorSuccess)
        return;
    const std::vector<CContact> reread = store.Load();
    Check(reread.size() == contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i) {
        Check(reread[i].m_strNumber == contacts[i].m_strNumber);
        Check(reread[i].m_strName == (contacts[i].m_strName.empty() ? contacts[i].m_strNumber : contacts[i].m_strName));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const uint8_t btMode = in.Byte();
    const uint32_t kTypes[] = {kRegMultiSz, kRegMultiSz, kRegMultiSz, kRegMultiSz, 1, 3, 4, kRegMultiSz};
    const uint32_t dwType = kTypes[btMode & 7];
    const std::string strData = in.Rest();
    const std::vector<uint8_t> abData(strData.begin(), strData.end());

    CFakeListKey key;
    CFakeDataFolder folder;
    for (const WChar* pszName : {kHistory, kNumbers, kContacts})
        key.Put(pszName, abData, dwType);
    std::vector<WString> aList;
    const uint32_t dwRead = CListStore(key).ReadWhole(kNumbers, aList);
    Check(dwRead == kErrorSuccess || dwRead == kErrorInvalidData);
    const bool bWhole = dwRead == kErrorSuccess;
    Check(bWhole || (CListStore(key).Read(kNumbers).empty()));
    FuzzHistory(key, folder, bWhole && aList.size() % kHistoryRecordElements == 0);
    FuzzNumbers(key, bWhole);
    FuzzContacts(key);
    return 0;
}
