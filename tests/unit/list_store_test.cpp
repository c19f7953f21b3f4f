// The list values of the settings through their stores, against a key in
// memory: a value that grew while it was read is read whole, a damaged value
// is never written over, two writers at once both keep their change, every
// failure is returned, a copy kept of a value is read only while nobody else
// changed the key, the history and the numbers keep their limits (the
// history's oldest records going to the archive first), and the phone book
// is replaced in one write. Which key a setting is read from, and the move of
// an earlier version's values out of the machine-wide key.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "base/CachedListKey.h"
#include "base/ListStore.h"
#include "base/SettingsMove.h"
#include "base/SettingsTable.h"
#include "support/FakeListKey.h"
#include "app/ContactStore.h"
#include "app/HistoryStore.h"
#include "app/NumberList.h"
#include "app/ReportStore.h"

namespace {

typedef std::vector<std::string> Strings;

const WString kHistory = WSTR("NewHistory");
const WString kNumbers = WSTR("Numbers");

// UTF-16LE bytes of an ASCII text in which '|' stands for a zero character.
std::vector<uint8_t> Utf16(const std::string& strText)
{
    std::vector<uint8_t> data;
    for (char ch : strText) {
        data.push_back(ch == '|' ? 0 : static_cast<uint8_t>(ch));
        data.push_back(0);
    }
    return data;
}

Strings Utf8(const std::vector<WString>& aList)
{
    Strings out;
    for (const WString& str : aList)
        out.push_back(WideToUtf8(str));
    return out;
}

CListStore::FnChange Appending(const char* pszElement)
{
    return [pszElement](std::vector<WString>& aList) {
        aList.push_back(Utf8ToWide(pszElement));
        return true;
    };
}

CHistoryRecord Record(int n, const char* pszText = "Hi")
{
    CHistoryRecord record;
    record.m_strNumber = Utf8ToWide(std::to_string(n));
    record.m_strTime = WSTR("01.02.2026 10:00");
    record.m_strText = Utf8ToWide(pszText);
    return record;
}

TEST(ListStore, AValueThatGrewIsReadAgainWhole)
{
    for (int nGrowths : {1, int(CListStore::kReadTries) - 1, int(CListStore::kReadTries)}) {
        CFakeListKey key;
        key.Put(kNumbers, Utf16(" 1||"));
        std::string strStored = " 1|";
        int nRead = 0;
        key.m_fnBeforeRead = [&] {  // another process appends between the size and the data
            if (nRead++ < nGrowths)
                key.Put(kNumbers, Utf16((strStored += " " + std::to_string(nRead + 1) + "|") + "|"));
        };
        CListStore store(key);
        const uint32_t dwError = store.Update(kNumbers, Appending(" new"));
        if (nGrowths < CListStore::kReadTries) {
            EXPECT_EQ(dwError, kErrorSuccess);
            EXPECT_EQ(key.Get(kNumbers), Utf16(strStored + " new||")) << nGrowths;
        } else {  // it never held still: nothing is written
            EXPECT_EQ(dwError, kErrorMoreData);
            EXPECT_EQ(key.m_log, Strings());
        }
    }
}

TEST(ListStore, ADamagedValueIsNeverWrittenOverAnEmptyOneIs)
{
    const struct {
        const char* pszCase;
        uint32_t dwType;
        std::vector<uint8_t> data;
        bool bDamaged;
    } aCases[] = {
        {"no final zero", kRegMultiSz, Utf16(" 1| 2|"), true},
        {"no zero at all", kRegMultiSz, Utf16(" 1"), true},
        {"one character and its zero", kRegMultiSz, Utf16("x|"), true},
        {"odd length", kRegMultiSz, {' ', 0, '1', 0, 0, 0, 0, 0, 0}, true},
        {"another type", 1 /* REG_SZ */, Utf16(" 1||"), true},
        {"binary", 3 /* REG_BINARY */, Utf16(" 1||"), true},
        {"no data", kRegMultiSz, {}, false},
        {"one zero", kRegMultiSz, Utf16("|"), false},
        {"two zeros", kRegMultiSz, Utf16("||"), false},
    };
    for (const auto& c : aCases) {
        CFakeListKey key;
        key.Put(kNumbers, c.data, c.dwType);
        CListStore store(key);
        EXPECT_EQ(store.Update(kNumbers, Appending(" 3")), c.bDamaged ? kErrorInvalidData : kErrorSuccess)
            << c.pszCase;
        EXPECT_EQ(key.Get(kNumbers), c.bDamaged ? c.data : Utf16(" 3||")) << c.pszCase;
        EXPECT_EQ(key.m_log.size(), c.bDamaged ? 0u : 1u) << c.pszCase;
    }
    // What cannot be read whole shows as nothing.
    CFakeListKey key;
    key.Put(kHistory, Utf16(" | 1| t| x|"));
    EXPECT_TRUE(CListStore(key).Read(kHistory).empty());
}

TEST(ListStore, TwoWritersAtOnceBothKeepTheirChange)
{
    CFakeListKey key;
    CListStore window(key), console(key);
    std::future<uint32_t> other;
    // The other writer's turn comes between this one's read and its write; it
    // waits for the lock, so it reads what this one wrote.
    key.m_fnBeforeWrite = [&] {
        other = std::async(std::launch::async, [&] { return console.Update(kNumbers, Appending(" 2")); });
        other.wait_for(std::chrono::milliseconds(300));
    };
    EXPECT_EQ(window.Update(kNumbers, Appending(" 1")), kErrorSuccess);
    EXPECT_EQ(other.get(), kErrorSuccess);
    EXPECT_EQ(Utf8(window.Read(kNumbers)), (Strings{" 1", " 2"}));
}

TEST(ListStore, FailuresAreReportedAndLeaveTheValue)
{
    CFakeListKey key;
    key.Put(kNumbers, Utf16(" 1||"));
    CListStore store(key);
    key.m_dwWriteError = kErrorAccessDenied;
    EXPECT_EQ(store.Update(kNumbers, Appending(" 2")), kErrorAccessDenied);
    EXPECT_EQ(store.Replace(kNumbers, {WSTR(" 2")}), kErrorAccessDenied);
    key.m_dwWriteError = kErrorSuccess;
    // Another process holds the lock for longer than the wait (cut short here).
    key.m_dwMaxWaitMs = 50;
    std::promise<void> held, done;
    std::thread holder([&] {
        key.m_lock.lock();
        held.set_value();
        done.get_future().wait();
        key.m_lock.unlock();
    });
    held.get_future().wait();
    EXPECT_EQ(store.Update(kNumbers, Appending(" 2")), kErrorWaitTimeout);
    EXPECT_EQ(key.m_dwLastTimeoutMs, 5000u);
    done.set_value();
    holder.join();
    EXPECT_EQ(key.Get(kNumbers), Utf16(" 1||"));
    EXPECT_EQ(key.m_log, (Strings{"set Numbers", "set Numbers"}));  // the two refused writes
}

TEST(ListStore, FailureTexts)
{
    EXPECT_EQ(WideToUtf8(DescribeStoreFailure(WSTR("update the history"), kErrorInvalidData, WSTR("Invalid\r\n"))),
              "Could not update the history: the stored value is damaged");
    EXPECT_EQ(WideToUtf8(DescribeStoreFailure(WSTR("save the number"), kErrorAccessDenied,
                                              WSTR("Access is denied.\r\n"))),
              "Could not save the number: Access is denied.");
}

// The watch of a key in memory: set off by any change, this process's too.
class CFakeWatch : public CKeyWatch {
public:
    CFakeWatch(CFakeListKey& key, bool bWatchable) : m_key(key), m_bWatchable(bWatchable) {}

    bool Watch() override
    {
        m_nSeen = m_key.m_nChanges;
        return m_bWatchable;
    }
    bool HasChanged() override { return m_key.m_nChanges != m_nSeen; }
    void Announce() override {}

private:
    CFakeListKey& m_key;
    bool m_bWatchable;
    int m_nSeen = 0;
};

// The history read twice through the copies the program's keys share, with
// a change between the two reads: the key itself is read again only when
// another change than the program's own ones under the lock may have come.
TEST(ListCache, ACopyIsReadOnlyWhileNobodyElseChangedTheKey)
{
    const CListStore::FnChangeData appending = [](std::vector<uint8_t>& data) {
        const std::vector<uint8_t> abElement = Utf16(" 3||");
        data.resize(data.size() - 2);
        data.insert(data.end(), abElement.begin(), abElement.end());
        return true;
    };
    const struct {
        const char* pszBetween;
        std::function<void(CFakeListKey& key, CListKey& other)> fnBetween;
        bool bReadAgain;
        const char* pszRead;
    } aCases[] = {
        {"nothing", [](CFakeListKey&, CListKey&) {}, false, " 1| 2||"},
        {"the history appended",
         [&](CFakeListKey&, CListKey& other) { CListStore(other).UpdateData(kHistory, appending); }, false,
         " 1| 2| 3||"},
        {"another list changed",
         [](CFakeListKey&, CListKey& other) { CListStore(other).Update(kNumbers, Appending(" 7")); }, false,
         " 1| 2||"},
        {"another writer", [](CFakeListKey& key, CListKey&) { key.Put(kHistory, Utf16(" 9||")); }, true, " 9||"},
        {"a write without the lock",
         [](CFakeListKey&, CListKey& other) {
             std::vector<uint8_t> data = Utf16(" 7||");
             other.SetMultiSz(kNumbers, data);
         },
         true, " 1| 2||"},
        {"a refused append",
         [&](CFakeListKey& key, CListKey& other) {
             key.m_dwWriteError = kErrorAccessDenied;
             CListStore(other).UpdateData(kHistory, appending);
         },
         true, " 1| 2||"},
        {"nothing, on a key that cannot be watched", nullptr, true, " 1| 2||"},
    };
    for (const auto& c : aCases) {
        CFakeListKey key;
        key.Put(kHistory, Utf16(" 1| 2||"));
        CFakeWatch watch(key, c.fnBetween != nullptr);
        CListCache cache(watch);
        CCachedListKey window(key, cache), other(key, cache);
        const std::shared_ptr<const std::vector<uint8_t>> pShown = CListStore(window).ReadData(kHistory);
        if (c.fnBetween)
            c.fnBetween(key, other);
        int nReads = 0;
        key.m_fnBeforeRead = [&nReads] { ++nReads; };
        EXPECT_EQ(*CListStore(window).ReadData(kHistory), Utf16(c.pszRead)) << c.pszBetween;
        EXPECT_EQ(nReads != 0, c.bReadAgain) << c.pszBetween;
        EXPECT_EQ(*pShown, Utf16(" 1| 2||")) << c.pszBetween;  // what a window shows stays as it was read
    }
}

TEST(ContactStore, ThePhoneBookIsReplacedInOneWrite)
{
    CFakeListKey key;
    key.Put(WSTR("Contacts"), Utf16("Old|1||"));
    CContactStore store(key);
    EXPECT_EQ(store.Save({{WSTR("Ann"), WSTR("0123")}, {WString(), WSTR("555")}}), kErrorSuccess);
    EXPECT_EQ(key.Get(WSTR("Contacts")), Utf16("Ann|0123|555|555||"));
    EXPECT_EQ(store.Load().size(), 2u);
    key.m_dwWriteError = kErrorAccessDenied;  // a failed write keeps the phone book before it
    EXPECT_EQ(store.Save({{WSTR("Bob"), WSTR("7")}}), kErrorAccessDenied);
    EXPECT_EQ(key.Get(WSTR("Contacts")), Utf16("Ann|0123|555|555||"));
    key.m_dwWriteError = kErrorSuccess;
    EXPECT_EQ(store.Save({}), kErrorSuccess);  // an empty phone book: no value
    EXPECT_FALSE(key.Has(WSTR("Contacts")));
    EXPECT_EQ(store.Save({}), kErrorSuccess);
    EXPECT_EQ(key.m_log, (Strings{"set Contacts", "set Contacts", "delete Contacts", "delete Contacts"}));
}

TEST(NumberList, EachNumberOnceTheHundredMostRecentlyUsed)
{
    CFakeListKey key;
    CNumberList numbers(key);
    for (size_t n = 0; n < CNumberList::kMaxNumbers + 5; ++n)
        ASSERT_EQ(numbers.Add(Utf8ToWide(std::to_string(n))), kErrorSuccess);
    EXPECT_EQ(numbers.Add(WSTR("50")), kErrorSuccess);
    const Strings aNumbers = Utf8(numbers.Read());
    ASSERT_EQ(aNumbers.size(), size_t(CNumberList::kMaxNumbers));
    EXPECT_EQ(aNumbers.front(), "5");
    EXPECT_EQ(aNumbers[44], "49");
    EXPECT_EQ(aNumbers[45], "51");
    EXPECT_EQ(aNumbers.back(), "50");
    EXPECT_EQ(CListStore(key).Read(kNumbers).back(), WSTR(" 50"));  // stored after a space
}

TEST(HistoryStore, RecordsAreAppendedWholeAndOnlyToWholeRecords)
{
    CFakeListKey key;
    CFakeDataFolder folder;
    CHistoryStore history(key, folder);
    uint32_t dwArchiveError = 1;
    CHistoryRecord record = Record(555, "a\r\nb");
    record.m_strName = WSTR("Ann");
    EXPECT_EQ(history.Append(Record(123), dwArchiveError), kErrorSuccess);
    EXPECT_EQ(dwArchiveError, kErrorSuccess);
    EXPECT_EQ(history.Append(record, dwArchiveError), kErrorSuccess);
    EXPECT_EQ(key.Get(kHistory), Utf16(" | 123| 01.02.2026 10:00| Hi| Ann| 555| 01.02.2026 10:00| a\r\nb||"));
    EXPECT_EQ(history.Read().back().GetDisplayName(), WSTR("Ann (555)"));
    // An empty string inside, as another tool may write it, is dropped as the reader skips it.
    key.Put(kHistory, Utf16(" | 1| t| x|| | 2| t| y||"));
    EXPECT_EQ(history.Read().back().m_strText, WSTR("y"));
    EXPECT_EQ(history.Append(Record(3), dwArchiveError), kErrorSuccess);
    EXPECT_EQ(key.Get(kHistory), Utf16(" | 1| t| x| | 2| t| y| | 3| 01.02.2026 10:00| Hi||"));
    // Elements beyond the last whole record: an append would shift every later record.
    key.Put(kHistory, Utf16(" | 1| t| x| stray||"));
    EXPECT_EQ(history.Read().size(), 1u);
    EXPECT_EQ(history.Append(Record(2), dwArchiveError), kErrorInvalidData);
    EXPECT_EQ(key.Get(kHistory), Utf16(" | 1| t| x| stray||"));
}

TEST(HistoryStore, TheNewestTenThousandStayTheOldestGoToTheArchiveFirst)
{
    const size_t nMax = CHistoryStore::kMaxRecords;
    const struct {
        size_t nBefore;          // records stored before the append
        uint32_t dwFolderError;  // what the archive answers
        size_t nArchived;
    } aCases[] = {{nMax - 1, 0, 0}, {nMax, 0, 1}, {nMax + 3, 0, 4}, {nMax, kErrorAccessDenied, 0}};
    for (const auto& c : aCases) {
        CFakeListKey key;
        CFakeDataFolder folder;
        folder.m_dwError = c.dwFolderError;
        std::vector<WString> aList;
        for (size_t i = 0; i < c.nBefore; ++i) {
            const std::vector<WString> aRecord = HistoryToList(Record(static_cast<int>(i)));
            aList.insert(aList.end(), aRecord.begin(), aRecord.end());
        }
        ASSERT_EQ(CListStore(key).Replace(kHistory, aList), kErrorSuccess);
        CHistoryStore history(key, folder);
        uint32_t dwArchiveError = 0;
        EXPECT_EQ(history.Append(Record(-1), dwArchiveError), kErrorSuccess);
        EXPECT_EQ(dwArchiveError, c.dwFolderError);
        const std::vector<CHistoryRecord> records = history.Read();
        EXPECT_EQ(records.size(), c.dwFolderError ? c.nBefore + 1 : std::min(c.nBefore + 1, nMax)) << c.nBefore;
        EXPECT_EQ(records.front().m_strNumber, Utf8ToWide(std::to_string(c.nArchived)));
        EXPECT_EQ(records.back().m_strNumber, WSTR("-1"));
        std::string strArchived;
        for (size_t i = 0; i < c.nArchived; ++i)
            strArchived += FormatHistoryArchive({Record(static_cast<int>(i))});
        EXPECT_EQ(folder.m_files[CHistoryStore::kArchiveFile], strArchived) << c.nBefore;
    }
}

// Long texts: the list keeps as many of the newest records as 4 MiB hold
// (the newest whatever its size), the oldest going to the archive first.
TEST(HistoryStore, TheListKeepsToItsBytesToo)
{
    const WString strLong(100000, 'x');
    auto longRecord = [&strLong](int n, const WString& strText) {
        CHistoryRecord record = Record(n);
        record.m_strText = strText;
        return record;
    };
    size_t cbLong = 0;  // a long record's elements, each with its zero
    for (const WString& str : HistoryToList(longRecord(0, strLong)))
        cbLong += 2 * (str.size() + 1);
    const size_t nFit = (CHistoryStore::kMaxBytes - 2) / cbLong;
    const struct {
        size_t nBefore;      // long records stored before the append
        size_t cchAppended;  // the text of the record appended
        uint32_t dwFolderError;
        size_t nKept;
    } aCases[] = {
        {nFit, strLong.size(), 0, nFit},
        {3, CHistoryStore::kMaxBytes, 0, 1},
        {nFit, strLong.size(), kErrorAccessDenied, nFit + 1},
    };
    for (const auto& c : aCases) {
        CFakeListKey key;
        CFakeDataFolder folder;
        folder.m_dwError = c.dwFolderError;
        std::vector<WString> aList;
        for (size_t i = 0; i < c.nBefore; ++i) {
            const std::vector<WString> aRecord = HistoryToList(longRecord(static_cast<int>(i), strLong));
            aList.insert(aList.end(), aRecord.begin(), aRecord.end());
        }
        ASSERT_EQ(CListStore(key).Replace(kHistory, aList), kErrorSuccess);
        CHistoryStore history(key, folder);
        uint32_t dwArchiveError = 0;
        EXPECT_EQ(history.Append(longRecord(-1, WString(c.cchAppended, 'y')), dwArchiveError), kErrorSuccess);
        EXPECT_EQ(dwArchiveError, c.dwFolderError);
        const std::vector<CHistoryRecord> records = history.Read();
        ASSERT_EQ(records.size(), c.nKept) << c.nBefore;
        EXPECT_EQ(records.back().m_strNumber, WSTR("-1"));
        if (c.nKept > 1 && !c.dwFolderError) {
            EXPECT_LE(key.Get(kHistory).size(), CHistoryStore::kMaxBytes);
        }
        std::vector<CHistoryRecord> archived;
        for (size_t i = 0; i < c.nBefore + 1 - c.nKept; ++i)
            archived.push_back(longRecord(static_cast<int>(i), strLong));
        EXPECT_EQ(folder.m_files[CHistoryStore::kArchiveFile], FormatHistoryArchive(archived)) << c.nBefore;
    }
}

// The History's state field reads one message's parts: those Read gives it.
TEST(ReportStore, OneMessagesPartsAsAllAreRead)
{
    CFakeListKey key;
    // Key, number, reference, sent, state, status, time; one unreadable.
    key.Put(CReportStore::kValue,
            Utf16("k\t1\t5\t100\t1\t0\t|k2\t1\t6\t100\t0\t0\t|k\t1\t7\t100\t0\t0\t|k\t1\tx\t100\t0\t0\t|kx||"));
    CReportStore store(key);
    for (const char* pszKey : {"k", "k2", "kx", "none"}) {
        const std::vector<CSentPart> parts = store.ReadMessage(Utf8ToWide(pszKey));
        const std::vector<CSentPart> all = store.Read()[Utf8ToWide(pszKey)];
        ASSERT_EQ(parts.size(), all.size()) << pszKey;
        for (size_t i = 0; i < parts.size(); ++i)
            EXPECT_EQ(std::make_pair(parts[i].nRef, parts[i].state), std::make_pair(all[i].nRef, all[i].state));
    }
    EXPECT_EQ(store.ReadMessage(WSTR("k")).size(), 2u);
}

TEST(HistoryStore, TheArchiveFormat)
{
    CHistoryRecord record = Record(555, "Line one\r\nLine two\n\nLast\r");
    record.m_strName = Utf8ToWide("Анна");
    EXPECT_EQ(FormatHistoryArchive({Record(123), record}),
              "Name: \r\nNumber: 123\r\nTime: 01.02.2026 10:00\r\nText: Hi\r\n\r\n"
              "Name: Анна\r\nNumber: 555\r\nTime: 01.02.2026 10:00\r\n"
              "Text: Line one\r\n\tLine two\r\n\t\r\n\tLast\r\n\t\r\n\r\n");
}

const char kKept[] = "NewHistory: you have one of your own; the machine-wide one is left as it is";

// The user's own value first; the machine-wide key only for what an
// administrator sets for everyone, never for a user's lists or choices.
TEST(SettingsKeys, TheMachineKeyOnlyForTheAdministratorsSettings)
{
    const struct {
        const char* pszName;
        bool bUser, bMachine;
        ESettingSource source;
    } cases[] = {
        {"Server", false, true, ESettingSource::MACHINE},       {"Server", true, true, ESettingSource::USER},
        {"AllowStats", false, true, ESettingSource::MACHINE},   {"Model", false, true, ESettingSource::MACHINE},
        {"AllowCheck", false, false, ESettingSource::DEFAULT},  {"Numbers", false, true, ESettingSource::DEFAULT},
        {"NewHistory", false, true, ESettingSource::DEFAULT},   {"Contacts", false, true, ESettingSource::DEFAULT},
        {"Reports", false, true, ESettingSource::DEFAULT},      {"PendingFeedback", false, true, ESettingSource::DEFAULT},
        {"Contact", false, true, ESettingSource::DEFAULT},      {"Port", true, false, ESettingSource::USER},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChooseSettingSource(AnsiToWide(c.pszName), c.bUser, c.bMachine), c.source) << c.pszName;
}

// An earlier version's values move on purpose: copied as they were, removed
// from the machine-wide key; the user's own are never overwritten, and the
// administrator's settings stay where they are.
TEST(SettingsKeys, AnEarlierVersionsValuesMoveIntoTheUsersKey)
{
    const struct {
        bool bDryRun;
        uint32_t dwMachineError, dwUserError;  // of their writes
        Strings said;
        bool bMoved;  // the user's key holds the machine's "Numbers" and "Contact" afterwards
    } cases[] = {
        {false, 0, 0, {"Numbers: moved", "Contact: moved", kKept}, true},
        {true, 0, 0, {"Numbers: would be moved", "Contact: would be moved", kKept}, false},
        {false, kErrorAccessDenied, 0,
         {"Numbers: copied, but not removed from the machine-wide key (error 5): an administrator can remove it",
          "Contact: copied, but not removed from the machine-wide key (error 5): an administrator can remove it", kKept},
         true},
        {false, 0, kErrorAccessDenied,
         {"Numbers: not moved: your key refused it (error 5)", "Contact: not moved: your key refused it (error 5)", kKept},
         false},
    };
    for (const auto& c : cases) {
        CFakeListKey machine, user;
        std::vector<CEnumValue> values = {{WSTR("Numbers"), kRegMultiSz, Utf16(" 0123||")},
                                          {WSTR("Contact"), 1, Utf16("Anna (0123)|")},
                                          {WSTR("Server"), 1, Utf16("https://sms.example.org|")},
                                          {kHistory, kRegMultiSz, Utf16(" theirs||")}};
        for (const CEnumValue& value : values)
            machine.Put(value.strName, value.data, value.dwType);
        user.Put(kHistory, Utf16(" mine||"));
        machine.m_dwWriteError = c.dwMachineError;
        user.m_dwWriteError = c.dwUserError;
        std::vector<CValueMove> moves;
        ASSERT_EQ(MoveMachineValues(values, machine, user, c.bDryRun, moves), kErrorSuccess);
        Strings said;
        for (const CValueMove& move : moves)
            said.push_back(DescribeValueMove(move, c.bDryRun));
        EXPECT_EQ(said, c.said) << c.bDryRun << c.dwMachineError << c.dwUserError;
        EXPECT_EQ(user.Has(kNumbers) && user.Get(WSTR("Contact")) == values[1].data, c.bMoved);
        EXPECT_EQ(machine.Has(kNumbers), !c.bMoved || c.dwMachineError);
        EXPECT_EQ(user.Get(kHistory), Utf16(" mine||"));
        EXPECT_TRUE(machine.Has(WSTR("Server")) && !user.Has(WSTR("Server")));
    }
}

} // namespace
