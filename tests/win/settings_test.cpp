// The settings accessors and the list stores against the real registry, in a
// scratch key that each test creates and removes: what the registry holds
// after each write, and what each read makes of stored data, malformed data
// included.
#include <gtest/gtest.h>

#include <windows.h>

#include <future>
#include <string>
#include <vector>

#include "base/ErrorCodes.h"
#include "base/AppSettings.h"
#include "base/ListStore.h"
#include "base/Settings.h"
#include "base/SettingsListKey.h"
#include "support/FakeListKey.h"
#include "app/ContactStore.h"
#include "app/HistoryStore.h"
#include "app/NumberList.h"

namespace {

typedef std::vector<WString> CList;

const wchar_t kScratchKey[] = L"Software\\Zandu SMS Test";

struct CRaw {
    DWORD dwType = REG_NONE;
    std::vector<BYTE> data;
    bool bPresent = false;
};

// UTF-16LE bytes of an ASCII text in which '|' stands for a zero character.
std::vector<BYTE> Utf16(const std::string& strText)
{
    std::vector<BYTE> data;
    for (char ch : strText) {
        data.push_back(ch == '|' ? 0 : static_cast<BYTE>(ch));
        data.push_back(0);
    }
    return data;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hScratch,
                                  nullptr),
                  ERROR_SUCCESS);
        HKEY hKey = nullptr;
        ASSERT_EQ(RegOpenKeyExW(m_hScratch, nullptr, 0, KEY_READ | KEY_WRITE, &hKey), ERROR_SUCCESS);
        m_key.SetHandle(hKey);
    }
    void TearDown() override
    {
        m_key.SetHandle(nullptr);
        RegCloseKey(m_hScratch);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratchKey);
    }

    // Stores exactly these bytes. A character that is not zero follows them
    // in memory, so the registry does not add a forgotten terminator.
    void Put(const wchar_t* pszName, DWORD dwType, const std::vector<BYTE>& data, HKEY hKey = nullptr)
    {
        std::vector<BYTE> guarded = data;
        guarded.insert(guarded.end(), {'X', 'X', 'X'});
        ASSERT_EQ(RegSetValueExW(hKey ? hKey : m_hScratch, pszName, 0, dwType, guarded.data(),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
        ASSERT_EQ(Get(pszName, hKey).data, data);
    }
    void PutDword(const wchar_t* pszName, DWORD dwValue) { Put(pszName, REG_DWORD, DwordBytes(dwValue)); }
    static std::vector<BYTE> DwordBytes(DWORD dwValue)
    {
        const BYTE* pb = reinterpret_cast<const BYTE*>(&dwValue);
        return std::vector<BYTE>(pb, pb + 4);
    }
    CRaw Get(const wchar_t* pszName, HKEY hKey = nullptr) const
    {
        CRaw raw;
        DWORD cb = 0;
        hKey = hKey ? hKey : m_hScratch;
        if (RegQueryValueExW(hKey, pszName, nullptr, &raw.dwType, nullptr, &cb) != ERROR_SUCCESS)
            return raw;
        raw.data.resize(cb);
        raw.bPresent = RegQueryValueExW(hKey, pszName, nullptr, &raw.dwType, raw.data.data(), &cb) == ERROR_SUCCESS;
        raw.data.resize(cb);
        return raw;
    }
    CList List(const wchar_t* pszName) { return m_lists.Read(pszName); }
    uint32_t Append(const wchar_t* pszName, const WString& strElement)
    {
        return m_lists.Update(pszName, [&](CList& aList) {
            aList.push_back(strElement);
            return true;
        });
    }

    HKEY m_hScratch = nullptr;
    CSettingsKey m_key;
    CSettingsListKey m_listKey{m_key};
    CListStore m_lists{m_listKey};
};

TEST_F(SettingsTest, ReadStringGivesTheTextOrEmptyOnAnyFailure)
{
    EXPECT_EQ(m_key.Value("Port").ReadString(), L"");  // absent
    Put(L"Port", REG_SZ, Utf16("COM5|"));
    EXPECT_EQ(m_key.Value("Port").ReadString(), L"COM5");
    Put(L"Model", REG_EXPAND_SZ, Utf16("%TEMP%|"));
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"%TEMP%");  // not expanded
    Put(L"Model", REG_SZ, Utf16("ab|cd|"));
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"ab");  // up to the first zero
    Put(L"Model", REG_SZ, {});
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"");
    PutDword(L"Model", 7);
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"");  // wrong type
    Put(L"Model", REG_MULTI_SZ, Utf16("a||"));
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"");
}

TEST_F(SettingsTest, MalformedStringDataReadsAsEmpty)
{
    Put(L"Model", REG_SZ, Utf16("abc"));  // no terminating zero
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"");
    std::vector<BYTE> odd = Utf16("abc|");
    odd.push_back('x');  // not a whole number of characters
    Put(L"Model", REG_SZ, odd);
    EXPECT_EQ(m_key.Value("Model").ReadString(), L"");
}

TEST_F(SettingsTest, WriteStringStoresTheTextWithItsZero)
{
    EXPECT_EQ(m_key.Value("Contact").WriteString(L"Ann (0123)"), ERROR_SUCCESS);
    const CRaw raw = Get(L"Contact");
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.data, Utf16("Ann (0123)|"));
    EXPECT_EQ(m_key.Value("Contact").ReadString(), L"Ann (0123)");
    m_key.Value("Contact").WriteString(L"");
    EXPECT_EQ(Get(L"Contact").data, Utf16("|"));
}

TEST_F(SettingsTest, ReadBoolNeedsAFourByteDword)
{
    EXPECT_TRUE(m_key.Value("AllowCheck").ReadBool(true));  // absent
    EXPECT_FALSE(m_key.Value("AllowStats").ReadBool(false));
    PutDword(L"AllowCheck", 0);
    EXPECT_FALSE(m_key.Value("AllowCheck").ReadBool(true));
    PutDword(L"AllowCheck", 5);
    EXPECT_TRUE(m_key.Value("AllowCheck").ReadBool(false));
    // Wrong types give the default: the digit 0 as a string does not switch it off.
    Put(L"AllowCheck", REG_SZ, Utf16("0|"));
    EXPECT_TRUE(m_key.Value("AllowCheck").ReadBool(true));
    Put(L"AllowCheck", REG_BINARY, DwordBytes(0));
    EXPECT_TRUE(m_key.Value("AllowCheck").ReadBool(true));
    Put(L"AllowCheck", REG_QWORD, {0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(m_key.Value("AllowCheck").ReadBool(true));
    Put(L"AllowCheck", REG_DWORD, {0, 0});  // a DWORD of two bytes is malformed
    EXPECT_TRUE(m_key.Value("AllowCheck").ReadBool(true));
}

TEST_F(SettingsTest, WriteBoolStoresADwordOfOneOrZero)
{
    m_key.Value("NumRadio").WriteBool(true);
    CRaw raw = Get(L"NumRadio");
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(raw.data, DwordBytes(1));
    m_key.Value("AllowCheck").WriteBool(false);
    EXPECT_EQ(Get(L"AllowCheck").data, DwordBytes(0));
    EXPECT_FALSE(m_key.Value("AllowCheck").ReadBool(true));
}

TEST_F(SettingsTest, ListsOfFourAndSixBytes)
{
    Put(L"Numbers", REG_MULTI_SZ, Utf16("x|"));  // 4 bytes
    EXPECT_TRUE(List(L"Numbers").empty());
    Put(L"Numbers", REG_MULTI_SZ, Utf16("x||"));  // 6 bytes
    EXPECT_EQ(List(L"Numbers"), CList{L"x"});
}

TEST_F(SettingsTest, MalformedListsReadAsEmptyAndAreNotWrittenOver)
{
    EXPECT_TRUE(List(L"Numbers").empty());  // absent
    std::vector<BYTE> odd = Utf16(" 1| 2||");
    odd.push_back(0);
    const struct {
        DWORD dwType;
        std::vector<BYTE> data;
    } aCases[] = {
        {REG_MULTI_SZ, odd},
        {REG_MULTI_SZ, Utf16(" 1| 2|")},  // the final zero is missing
        {REG_MULTI_SZ, Utf16(" 1| 2")},
        {REG_SZ, Utf16(" 1| 2||")},  // wrong type
        {REG_BINARY, Utf16(" 1| 2||")},
    };
    for (const auto& c : aCases) {
        Put(L"Numbers", c.dwType, c.data);
        EXPECT_TRUE(List(L"Numbers").empty());
        EXPECT_EQ(CNumberList(m_listKey).Add(L"3"), kErrorInvalidData);
        EXPECT_EQ(Get(L"Numbers").data, c.data);
    }
}

TEST_F(SettingsTest, AnEmptyElementInTheMiddleIsSkippedAndTheRestKept)
{
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 1|| 2||"));
    EXPECT_EQ(List(L"Numbers"), (CList{L" 1", L" 2"}));
    EXPECT_EQ(Append(L"Numbers", L" 3"), kErrorSuccess);
    EXPECT_EQ(Get(L"Numbers").data, Utf16(" 1| 2| 3||"));
}

TEST_F(SettingsTest, ANumberAddedAgainMovesToTheEndEqualMeaningCaseSensitive)
{
    CNumberList numbers(m_listKey);
    numbers.Add(L"0123");
    numbers.Add(L"555");
    numbers.Add(L"0123");
    const CRaw raw = Get(L"Numbers");
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(raw.data, Utf16(" 555| 0123||"));
    EXPECT_EQ(numbers.Read(), (CList{L"555", L"0123"}));
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" a| b| A| a||"));
    numbers.Add(L"a");
    EXPECT_EQ(Get(L"Numbers").data, Utf16(" b| A| a||"));
}

TEST_F(SettingsTest, HistoryRecordsKeepEqualElements)
{
    CHistoryRecord record;
    record.m_strNumber = L"0123";
    record.m_strTime = L"01.02.2026 10:00";
    record.m_strText = L"Hi\r\nthere";
    const CList aRecord = {L" ", L" 0123", L" 01.02.2026 10:00", L" Hi\r\nthere"};
    CFakeDataFolder folder;
    uint32_t dwArchiveError = 0;
    for (int nRecord = 0; nRecord < 2; ++nRecord)
        EXPECT_EQ(CHistoryStore(m_listKey, folder).Append(record, dwArchiveError), kErrorSuccess);
    const CList aList = List(L"NewHistory");
    ASSERT_EQ(aList.size(), 8u);
    EXPECT_EQ(CList(aList.begin(), aList.begin() + 4), aRecord);
    EXPECT_EQ(CList(aList.begin() + 4, aList.end()), aRecord);
}

TEST_F(SettingsTest, AChangeThatFindsNothingToChangeWritesNothing)
{
    const std::vector<BYTE> stored = Utf16("a||b||");  // reads as a, b
    Put(L"Numbers", REG_MULTI_SZ, stored);
    EXPECT_EQ(m_lists.Update(L"Numbers", [](CList&) { return false; }), kErrorSuccess);
    EXPECT_EQ(Get(L"Numbers").data, stored);
}

TEST_F(SettingsTest, AnEmptiedListStoresOneZero)
{
    Append(L"Numbers", L" 0123");
    m_lists.Update(L"Numbers", [](CList& aList) {
        aList.clear();
        return true;
    });
    const CRaw raw = Get(L"Numbers");
    EXPECT_TRUE(raw.bPresent);
    EXPECT_EQ(raw.data, Utf16("|"));
    EXPECT_TRUE(List(L"Numbers").empty());
    EXPECT_EQ(Append(L"Numbers", L" 1"), kErrorSuccess);  // an empty list is no damaged one
}

TEST_F(SettingsTest, WritingAnEmptyElementEndsTheStoredList)
{
    m_lists.Replace(L"Contacts", {L"Ann", L"", L"0123"});
    EXPECT_EQ(Get(L"Contacts").data, Utf16("Ann||"));
    Append(L"Contacts", L"");
    EXPECT_EQ(List(L"Contacts"), CList{L"Ann"});
}

TEST_F(SettingsTest, ContactsAreReplacedAsNameNumberPairs)
{
    Put(L"Contacts", REG_MULTI_SZ, Utf16("Ann|0123|Bob||"));
    CContactStore contacts(m_listKey);
    ASSERT_EQ(contacts.Load().size(), 1u);  // the third element has no partner
    EXPECT_EQ(contacts.Save({{L"Ann", L"0123"}, {L"Ann", L"0123"}}), kErrorSuccess);
    EXPECT_EQ(Get(L"Contacts").data, Utf16("Ann|0123|Ann|0123||"));
    EXPECT_EQ(contacts.Save({}), kErrorSuccess);
    EXPECT_FALSE(Get(L"Contacts").bPresent);
}

// One lock for every holder in the session: another thread (standing for
// another process) waits for it and gives up after its time.
TEST_F(SettingsTest, TheListsLockIsOneForAll)
{
    ASSERT_EQ(m_listKey.Lock(0), kErrorSuccess);
    auto other = [this](uint32_t dwTimeoutMs) {
        CSettingsListKey key(m_key);
        const uint32_t dwError = key.Lock(dwTimeoutMs);
        if (dwError == kErrorSuccess)
            key.Unlock();
        return dwError;
    };
    EXPECT_EQ(std::async(std::launch::async, other, 100).get(), kErrorWaitTimeout);
    m_listKey.Unlock();
    EXPECT_EQ(std::async(std::launch::async, other, 100).get(), kErrorSuccess);
    EXPECT_EQ(std::wstring(CSettingsListKey::kMutexName), L"Local\\Zandu SMS settings");
}

// A program keeps copies of the lists it read: another program's change (a
// settings key of its own on the same registry key) and a change written
// past both (as regedit writes) are read at the next read.
TEST_F(SettingsTest, AListChangedElsewhereIsReadAnew)
{
    HKEY hOther = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m_hScratch, nullptr, 0, KEY_READ | KEY_WRITE, &hOther), ERROR_SUCCESS);
    CSettingsKey otherKey;
    otherKey.SetHandle(hOther);
    CSettingsListKey otherListKey(otherKey);
    CListStore other(otherListKey);
    ASSERT_EQ(Append(L"Numbers", L" 1"), kErrorSuccess);
    EXPECT_EQ(List(L"Numbers"), (CList{L" 1"}));
    EXPECT_EQ(other.Read(L"Numbers"), (CList{L" 1"}));
    ASSERT_EQ(other.Update(L"Numbers", [](CList& aList) {
        aList.push_back(L" 2");
        return true;
    }), kErrorSuccess);
    EXPECT_EQ(List(L"Numbers"), (CList{L" 1", L" 2"}));
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 3||"));
    EXPECT_EQ(List(L"Numbers"), (CList{L" 3"}));
    EXPECT_EQ(other.Read(L"Numbers"), (CList{L" 3"}));
    ASSERT_EQ(Append(L"Numbers", L" 4"), kErrorSuccess);
    EXPECT_EQ(other.Read(L"Numbers"), (CList{L" 3", L" 4"}));
}

TEST_F(SettingsTest, ValueNamesAreWidenedFromTheAnsiCodePage)
{
    m_key.Value("Caf\xe9").WriteString(L"x");
    EXPECT_TRUE(Get(L"Caf\u00e9").bPresent);
}

// Opening the keys, with scratch keys standing in for the machine's and the
// user's roots; the machine's is writable, as it is for an elevated run.
class SettingsOpenTest : public SettingsTest {
protected:
    void SetUp() override
    {
        SettingsTest::SetUp();
        ASSERT_EQ(RegCreateKeyExW(m_hScratch, L"Machine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hMachine,
                                  nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegCreateKeyExW(m_hScratch, L"User", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hUser, nullptr),
                  ERROR_SUCCESS);
        m_location.hMachineRoot = m_hMachine;
        m_location.hUserRoot = m_hUser;
    }
    void TearDown() override
    {
        m_opened.SetHandle(nullptr);
        m_opened.SetMachineHandle(nullptr);
        RegCloseKey(m_hMachine);
        RegCloseKey(m_hUser);
        SettingsTest::TearDown();
    }
    HKEY Settings(HKEY hRoot)
    {
        HKEY hKey = nullptr;
        RegCreateKeyExW(hRoot, L"Software\\Zandu SMS", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
        return hKey;
    }
    CRaw GetUserValue(const wchar_t* pszName)
    {
        HKEY hKey = Settings(m_hUser);
        const CRaw raw = Get(pszName, hKey);
        RegCloseKey(hKey);
        return raw;
    }
    bool Exists(HKEY hRoot)
    {
        HKEY hKey = nullptr;
        const bool bExists = RegOpenKeyExW(hRoot, L"Software\\Zandu SMS", 0, KEY_READ, &hKey) == ERROR_SUCCESS;
        RegCloseKey(hKey);
        return bExists;
    }

    HKEY m_hMachine = nullptr;
    HKEY m_hUser = nullptr;
    CSettingsLocation m_location;
    CSettingsKey m_opened;
};

TEST_F(SettingsOpenTest, DefaultsAreTheUsersKeyAndTheMachineKey)
{
    const CSettingsLocation location;
    EXPECT_EQ(location.hMachineRoot, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(location.hUserRoot, HKEY_CURRENT_USER);
    EXPECT_EQ(location.strSubKey, L"Software\\Zandu SMS");
}

// Whatever the process may write, everything goes to the user's key; the
// machine-wide key is neither created nor written.
TEST_F(SettingsOpenTest, WritesGoToTheUsersKeyOnly)
{
    ASSERT_EQ(m_opened.Open(m_location), ERROR_SUCCESS);
    CAppSettings(m_opened).Write(ETextSetting::PORT, L"COM5");
    CSettingsListKey lists(m_opened);
    CNumberList(lists).Add(L"0123");
    HKEY hUser = Settings(m_hUser);
    EXPECT_EQ(Get(L"Port", hUser).data, Utf16("COM5|"));
    EXPECT_EQ(Get(L"Numbers", hUser).data, Utf16(" 0123||"));
    RegCloseKey(hUser);
    EXPECT_FALSE(Exists(m_hMachine));
}

// An earlier version's lists in the machine-wide key are not read, nor
// copied; an administrator's machine-wide settings are, where the user has
// none of their own.
TEST_F(SettingsOpenTest, TheMachineKeyGivesOnlyTheAdministratorsSettings)
{
    HKEY hMachine = Settings(m_hMachine);
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 0123| 555||"), hMachine);
    Put(L"Port", REG_SZ, Utf16("COM7|"), hMachine);
    Put(L"Server", REG_SZ, Utf16("https://sms.example.org|"), hMachine);
    Put(L"AllowStats", REG_DWORD, DwordBytes(1), hMachine);
    Put(L"AllowCheck", REG_DWORD, DwordBytes(0), hMachine);
    HKEY hUser = Settings(m_hUser);
    Put(L"AllowCheck", REG_DWORD, DwordBytes(1), hUser);
    RegCloseKey(hUser);
    ASSERT_EQ(m_opened.Open(m_location), ERROR_SUCCESS);
    CSettingsListKey lists(m_opened);
    EXPECT_EQ(CNumberList(lists).Read(), CList());
    const CAppSettings settings(m_opened);
    EXPECT_EQ(settings.Read(ETextSetting::PORT), L"");
    EXPECT_EQ(settings.Read(ETextSetting::SERVER), L"https://sms.example.org");
    EXPECT_TRUE(settings.Read(EFlag::ALLOW_STATS));
    EXPECT_TRUE(settings.Read(EFlag::ALLOW_CHECK));  // the user's own
    EXPECT_FALSE(GetUserValue(L"Numbers").bPresent);
    EXPECT_FALSE(GetUserValue(L"Server").bPresent);
    EXPECT_EQ(Get(L"Numbers", hMachine).data, Utf16(" 0123| 555||"));
    RegCloseKey(hMachine);
}

// For a program that changes nothing: neither key is created.
TEST_F(SettingsOpenTest, ReadingCreatesNoKey)
{
    EXPECT_EQ(m_opened.OpenForReading(m_location), ERROR_SUCCESS);
    EXPECT_EQ(CAppSettings(m_opened).Read(ETextSetting::PORT), L"");
    EXPECT_FALSE(Exists(m_hUser) || Exists(m_hMachine));
}

TEST_F(SettingsOpenTest, WhenTheUsersKeyIsRefusedTheErrorIsReturnedAndNoKeyHeld)
{
    m_location.fnCreateKey = [](HKEY, const wchar_t*, REGSAM, HKEY*, DWORD*) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    };
    EXPECT_EQ(m_opened.Open(m_location), ERROR_ACCESS_DENIED);
    EXPECT_EQ(m_opened.GetHandle(), nullptr);
}

TEST(Settings, OneProcessWideKey)
{
    EXPECT_EQ(&GetSettingsKey(), &GetSettingsKey());
}

} // namespace
