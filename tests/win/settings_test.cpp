// The settings accessors against the real registry, in a scratch key that
// each test creates and removes: what the registry holds after each write,
// and what each read makes of stored data, malformed data included.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/Settings.h"

namespace {

typedef std::vector<WString> CList;

const wchar_t kScratch[] = L"Software\\Zandu SMS Test";

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
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hScratch,
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
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
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
    CList List(const char* pszName)
    {
        CList aList{L"stale"};
        m_key.ReadList(pszName, aList);
        return aList;
    }

    HKEY m_hScratch = nullptr;
    CSettingsKey m_key;
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
    EXPECT_TRUE(List("Numbers").empty());
    Put(L"Numbers", REG_MULTI_SZ, Utf16("x||"));  // 6 bytes
    EXPECT_EQ(List("Numbers"), CList{L"x"});
}

TEST_F(SettingsTest, MalformedListsReadAsEmpty)
{
    EXPECT_TRUE(List("Numbers").empty());  // absent
    std::vector<BYTE> odd = Utf16(" 1| 2||");
    odd.push_back(0);
    Put(L"Numbers", REG_MULTI_SZ, odd);
    EXPECT_TRUE(List("Numbers").empty());
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 1| 2|"));  // the final zero is missing
    EXPECT_TRUE(List("Numbers").empty());
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 1| 2"));
    EXPECT_TRUE(List("Numbers").empty());
    Put(L"Numbers", REG_SZ, Utf16(" 1| 2||"));  // wrong type
    EXPECT_TRUE(List("Numbers").empty());
    Put(L"Numbers", REG_BINARY, Utf16(" 1| 2||"));
    EXPECT_TRUE(List("Numbers").empty());
}

TEST_F(SettingsTest, AnEmptyElementInTheMiddleIsSkippedAndTheRestKept)
{
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 1|| 2||"));
    EXPECT_EQ(List("Numbers"), (CList{L" 1", L" 2"}));
    m_key.AddToList("Numbers", L" 3", false);
    EXPECT_EQ(Get(L"Numbers").data, Utf16(" 1| 2| 3||"));
}

TEST_F(SettingsTest, AddUniqueMovesTheElementToTheEnd)
{
    m_key.AddToList("Numbers", L" 0123", true);
    m_key.AddToList("Numbers", L" 555", true);
    m_key.AddToList("Numbers", L" 0123", true);
    const CRaw raw = Get(L"Numbers");
    EXPECT_EQ(raw.dwType, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(raw.data, Utf16(" 555| 0123||"));
    EXPECT_EQ(List("Numbers"), (CList{L" 555", L" 0123"}));
}

TEST_F(SettingsTest, AddWithoutUniqueKeepsEqualElements)
{
    const CList aRecord = {L" ", L" 0123", L" 01.02.2026 10:00", L" Hi\r\nthere"};
    for (int nRecord = 0; nRecord < 2; ++nRecord) {
        for (const WString& str : aRecord)
            m_key.AddToList("NewHistory", str, false);
    }
    const CList aList = List("NewHistory");
    ASSERT_EQ(aList.size(), 8u);
    EXPECT_EQ(CList(aList.begin(), aList.begin() + 4), aRecord);
    EXPECT_EQ(CList(aList.begin() + 4, aList.end()), aRecord);
}

TEST_F(SettingsTest, RemoveTakesEveryEqualElementCaseSensitively)
{
    Put(L"Numbers", REG_MULTI_SZ, Utf16("a|b|A|a||"));
    m_key.RemoveFromList("Numbers", L"a");
    EXPECT_EQ(Get(L"Numbers").data, Utf16("b|A||"));
}

TEST_F(SettingsTest, RemoveRewritesOnlyWhenSomethingWasRemoved)
{
    const std::vector<BYTE> stored = Utf16("a||b||");  // reads as a, b
    Put(L"Numbers", REG_MULTI_SZ, stored);
    m_key.RemoveFromList("Numbers", L"zzz");
    EXPECT_EQ(Get(L"Numbers").data, stored);
    m_key.RemoveFromList("Numbers", L"a");
    EXPECT_EQ(Get(L"Numbers").data, Utf16("b||"));
    m_key.RemoveFromList("Absent", L"a");
    EXPECT_FALSE(Get(L"Absent").bPresent);
}

TEST_F(SettingsTest, RemovingTheLastElementStoresOneZero)
{
    m_key.AddToList("Numbers", L" 0123", true);
    m_key.RemoveFromList("Numbers", L" 0123");
    const CRaw raw = Get(L"Numbers");
    EXPECT_TRUE(raw.bPresent);
    EXPECT_EQ(raw.data, Utf16("|"));
    EXPECT_TRUE(List("Numbers").empty());
}

TEST_F(SettingsTest, WritingAnEmptyElementEndsTheStoredList)
{
    m_key.WriteList("Contacts", {L"Ann", L"", L"0123"});
    EXPECT_EQ(Get(L"Contacts").data, Utf16("Ann||"));
    m_key.AddToList("Contacts", L"", false);
    EXPECT_EQ(List("Contacts"), CList{L"Ann"});
}

TEST_F(SettingsTest, ContactsAreRewrittenAsNameNumberPairs)
{
    Put(L"Contacts", REG_MULTI_SZ, Utf16("Ann|0123|Bob||"));
    EXPECT_EQ(List("Contacts"), (CList{L"Ann", L"0123", L"Bob"}));  // the contact list pairs them
    // A download replaces the list: delete, then name and number of each contact.
    EXPECT_EQ(m_key.DeleteValue("Contacts"), ERROR_SUCCESS);
    for (const wchar_t* psz : {L"Ann", L"0123", L"Ann", L"0123"})
        m_key.AddToList("Contacts", psz, false);
    EXPECT_EQ(Get(L"Contacts").data, Utf16("Ann|0123|Ann|0123||"));
}

TEST_F(SettingsTest, ValueNamesAreWidenedFromTheAnsiCodePage)
{
    m_key.Value("Caf\xe9").WriteString(L"x");
    EXPECT_TRUE(Get(L"Caf\u00e9").bPresent);
}

// Opening the key, with scratch keys standing in for the machine's and the
// user's roots.
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
        RegCloseKey(m_hMachine);
        RegCloseKey(m_hUser);
        SettingsTest::TearDown();
    }
    // The machine's root refuses write access, as it does for a standard user.
    void RefuseMachineWrites()
    {
        const CSettingsLocation::FnCreateKey fnCreate = m_location.fnCreateKey;
        const HKEY hMachine = m_hMachine;
        m_location.fnCreateKey = [fnCreate, hMachine](HKEY hRoot, const wchar_t* psz, REGSAM sam, HKEY* phKey,
                                                      DWORD* pdw) {
            return hRoot == hMachine ? static_cast<LONG>(ERROR_ACCESS_DENIED) : fnCreate(hRoot, psz, sam, phKey, pdw);
        };
    }
    HKEY MachineSettings()
    {
        HKEY hKey = nullptr;
        RegCreateKeyExW(m_hMachine, L"Software\\Zandu SMS", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
        return hKey;
    }
    CRaw GetUserValue(const wchar_t* pszName)
    {
        HKEY hKey = nullptr;
        CRaw raw;
        if (RegOpenKeyExW(m_hUser, L"Software\\Zandu SMS", 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
            raw = Get(pszName, hKey);
            RegCloseKey(hKey);
        }
        return raw;
    }

    HKEY m_hMachine = nullptr;
    HKEY m_hUser = nullptr;
    CSettingsLocation m_location;
    CSettingsKey m_opened;
};

TEST_F(SettingsOpenTest, DefaultsAreTheMachineKeyThenTheUsersKey)
{
    const CSettingsLocation location;
    EXPECT_EQ(location.hMachineRoot, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(location.hUserRoot, HKEY_CURRENT_USER);
    EXPECT_EQ(location.strSubKey, L"Software\\Zandu SMS");
}

TEST_F(SettingsOpenTest, TheMachineKeyIsCreatedAndUsedWhenWritable)
{
    ASSERT_EQ(m_opened.Open(m_location), ERROR_SUCCESS);
    m_opened.Value("Port").WriteString(L"COM5");
    HKEY hMachine = MachineSettings();
    EXPECT_EQ(Get(L"Port", hMachine).data, Utf16("COM5|"));
    RegCloseKey(hMachine);
    EXPECT_FALSE(GetUserValue(L"Port").bPresent);
}

TEST_F(SettingsOpenTest, ARefusedMachineKeyFallsBackToTheUsersKeyAndCopiesItsValues)
{
    HKEY hMachine = MachineSettings();
    Put(L"Numbers", REG_MULTI_SZ, Utf16(" 0123| 555||"), hMachine);
    Put(L"Port", REG_SZ, Utf16("COM7|"), hMachine);
    const DWORD dwOff = 0;
    Put(L"AllowCheck", REG_DWORD, std::vector<BYTE>(reinterpret_cast<const BYTE*>(&dwOff),
                                                     reinterpret_cast<const BYTE*>(&dwOff) + 4), hMachine);
    RefuseMachineWrites();
    ASSERT_EQ(m_opened.Open(m_location), ERROR_SUCCESS);
    CList aNumbers;
    m_opened.ReadList("Numbers", aNumbers);
    EXPECT_EQ(aNumbers, (CList{L" 0123", L" 555"}));
    EXPECT_EQ(m_opened.Value("Port").ReadString(), L"COM7");
    EXPECT_FALSE(m_opened.Value("AllowCheck").ReadBool(true));
    // Writes go to the user's key; the machine's stays as it was.
    m_opened.AddToList("Numbers", L" 0123", true);
    EXPECT_EQ(GetUserValue(L"Numbers").data, Utf16(" 555| 0123||"));
    EXPECT_EQ(Get(L"Numbers", hMachine).data, Utf16(" 0123| 555||"));
    RegCloseKey(hMachine);
}

TEST_F(SettingsOpenTest, AnExistingUsersKeyIsNotOverwritten)
{
    HKEY hMachine = MachineSettings();
    Put(L"Port", REG_SZ, Utf16("COM7|"), hMachine);
    RegCloseKey(hMachine);
    HKEY hUserSettings = nullptr;
    ASSERT_EQ(RegCreateKeyExW(m_hUser, L"Software\\Zandu SMS", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &hUserSettings, nullptr),
              ERROR_SUCCESS);
    Put(L"Model", REG_SZ, Utf16("Phone|"), hUserSettings);
    RegCloseKey(hUserSettings);
    RefuseMachineWrites();
    ASSERT_EQ(m_opened.Open(m_location), ERROR_SUCCESS);
    EXPECT_EQ(m_opened.Value("Port").ReadString(), L"");
    EXPECT_EQ(m_opened.Value("Model").ReadString(), L"Phone");
}

TEST_F(SettingsOpenTest, WithoutAMachineKeyTheUsersKeyStartsEmpty)
{
    RefuseMachineWrites();
    ASSERT_EQ(m_opened.Open(m_location), ERROR_SUCCESS);
    EXPECT_TRUE(GetUserValue(L"Port").dwType == REG_NONE);
    m_opened.Value("NumRadio").WriteBool(true);
    EXPECT_EQ(GetUserValue(L"NumRadio").data, DwordBytes(1));
    HKEY hKey = nullptr;
    EXPECT_NE(RegOpenKeyExW(m_hMachine, L"Software\\Zandu SMS", 0, KEY_READ, &hKey), ERROR_SUCCESS);
}

TEST_F(SettingsOpenTest, WhenBothAreRefusedTheErrorIsReturnedAndNoKeyHeld)
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
