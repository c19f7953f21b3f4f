// The Win32 utilities, as the program sees them under Windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "base/AppDataFolder.h"
#include "base/Util.h"

namespace {

std::string RunProbe(const wchar_t* pszExe)
{
    const std::wstring cmd = L"\"" + GetModuleFolder() + pszExe + L"\"";
    FILE* pipe = _wpopen(cmd.c_str(), L"r");
    if (!pipe)
        return "<no probe>";
    std::string out;
    char buf[256];
    while (fgets(buf, sizeof(buf), pipe))
        out += buf;
    _pclose(pipe);
    return out;
}

std::wstring Widen(const char* psz)
{
    return std::wstring(psz, psz + strlen(psz));
}

TEST(Util, VersionText)
{
    EXPECT_EQ(RunProbe(Widen(VERSION_PROBE_1234).c_str()), "[1.2.3]\n");
    EXPECT_EQ(RunProbe(Widen(VERSION_PROBE_NONE).c_str()), "[]\n");
}

TEST(Util, ModuleFolderAndSkinFolder)
{
    const WString path = GetModulePath();
    const WString folder = GetModuleFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'\\');
    EXPECT_EQ(path.compare(0, folder.size(), folder), 0);
    EXPECT_EQ(path.find(L'\\', folder.size()), WString::npos);  // only the file name follows
    EXPECT_EQ(GetSkinFolder(), folder + L"skin\\");
}

// The program's own folder under the user's roaming application data, made
// when missing; files there grow at their end.
TEST(Util, AppDataFolderAndAppending)
{
    WString folder;
    ASSERT_EQ(GetAppDataFolder(folder), static_cast<DWORD>(ERROR_SUCCESS));
    wchar_t szAppData[MAX_PATH] = {};
    ASSERT_NE(GetEnvironmentVariableW(L"APPDATA", szAppData, MAX_PATH), 0u);
    EXPECT_EQ(folder, WString(szAppData) + L"\\Zandu SMS\\");
    const WString path = folder + L"append-test.txt";
    DeleteFileW(path.c_str());
    CAppDataFolder data;
    EXPECT_EQ(data.AppendToFile(L"append-test.txt", "one\r\n"), static_cast<uint32_t>(ERROR_SUCCESS));
    EXPECT_EQ(data.AppendToFile(L"append-test.txt", "two \xD0\x90\r\n"), static_cast<uint32_t>(ERROR_SUCCESS));
    FILE* pFile = _wfopen(path.c_str(), L"rb");
    ASSERT_NE(pFile, nullptr);
    char szRead[64] = {};
    const size_t nRead = fread(szRead, 1, sizeof(szRead), pFile);
    fclose(pFile);
    EXPECT_EQ(std::string(szRead, nRead), "one\r\ntwo \xD0\x90\r\n");
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(Util, WaitForEventsReturnsTheFirstSignalledHandle)
{
    HANDLE h0 = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE h1 = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForEvents(false, INFINITE, h0, h1), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForEvents(true, 0, h0, h1), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(h0);
    EXPECT_EQ(WaitForEvents(false, INFINITE, h0, h1), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForEvents(true, 0, h0, h1), WAIT_OBJECT_0);
    CloseHandle(h0);
    CloseHandle(h1);
}

TEST(Util, SystemErrorText)
{
    const WString text = GetSystemErrorText(ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.find(L"ile"), WString::npos) << WideToAnsi(text);
    EXPECT_TRUE(GetSystemErrorText(0x2FFFFFFF).empty());
}

TEST(Util, WindowClass)
{
    HWND hWnd = CreateWindowW(L"Edit", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hWnd, nullptr);
    EXPECT_EQ(_wcsicmp(GetWindowClass(hWnd).c_str(), L"edit"), 0);
    DestroyWindow(hWnd);
}

TEST(Util, DateAndTimeTexts)
{
    WString date, time;
    EXPECT_TRUE(GetDateText(date));
    EXPECT_TRUE(GetTimeText(time));
    EXPECT_FALSE(date.empty());
    EXPECT_FALSE(time.empty());
    EXPECT_NE(time.find(L':'), WString::npos);
}

} // namespace
