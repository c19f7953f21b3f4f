// Start-up in this process: each start-up failure shows its box and writes its
// reported trace pair; a successful start runs the loop until the window ends
// it with its exit code. A watcher thread plays the user.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "shell/App.h"
#include "skinning/Skin.h"
#include "ui/MainDlg.h"
#include "win/AppModule.h"
#include "base/Util.h"
#include "support/TraceCapture.h"
#include "support/WindowFinder.h"

namespace {

const wchar_t kScratch[] = L"Software\\Zandu SMS Test App";

HWND WaitForWindow(const wchar_t* pszTitle, DWORD dwTimeout = 20000)
{
    test::CWindowQuery query;
    query.fnProcess = [](DWORD dwPid) { return dwPid == GetCurrentProcessId(); };
    query.pszTitle = pszTitle;
    query.pszClass = L"#32770";
    query.bVisibleOnly = true;
    return test::WaitForWindow(query, dwTimeout);
}

std::wstring TextOf(HWND hWnd)
{
    return test::WindowText(hWnd);
}

// Runs start-up on this thread while fnUser acts on another; a user that
// does not finish in time ends the loop with 99 instead of hanging the test.
int RunWithUser(const CSettingsLocation& location, const WString& strSkin, int nCmdShow,
                const std::function<void()>& fnUser)
{
    const DWORD dwThread = GetCurrentThreadId();
    std::atomic<bool> bDone{false};
    std::thread user([&] {
        fnUser();
        for (int i = 0; i < 500 && !bDone; ++i)
            Sleep(20);
        if (!bDone)
            PostThreadMessageW(dwThread, WM_QUIT, 99, 0);
    });
    const int nResult = RunWith(location, strSkin, nCmdShow);
    bDone = true;
    user.join();
    return nResult;
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GetAppModule().Init(GetModuleHandleW(nullptr));
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kScratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_hRoot,
                                  nullptr),
                  ERROR_SUCCESS);
        m_location.hMachineRoot = m_hRoot;
        m_location.hUserRoot = m_hRoot;
    }
    void TearDown() override
    {
        GetSettingsKey().SetHandle(nullptr);
        RegCloseKey(m_hRoot);
        RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    }

    // Waits for the "Error" box, records its text and dismisses it.
    std::function<void()> DismissErrorBox()
    {
        return [this] {
            HWND hBox = WaitForWindow(L"Error");
            if (!hBox)
                return;
            m_strBoxText = TextOf(GetDlgItem(hBox, 0xFFFF));
            PostMessageW(hBox, WM_COMMAND, IDOK, 0);
        };
    }

    HKEY m_hRoot = nullptr;
    CSettingsLocation m_location;
    std::wstring m_strBoxText;
};

TEST_F(AppTest, ASettingsKeyThatCannotBeOpenedStopsStartUp)
{
    CTraceCapture capture;
    m_location.fnCreateKey = [](HKEY, const wchar_t*, REGSAM, HKEY*, DWORD*) {
        return static_cast<LONG>(ERROR_ACCESS_DENIED);
    };
    EXPECT_EQ(RunWithUser(m_location, GetSkinFolder(), SW_SHOWNORMAL, DismissErrorBox()), 0);
    EXPECT_EQ(m_strBoxText, L"Couldn't open registry!");
    EXPECT_TRUE(CTraceCapture::HasReported("Couldn't open registry\n"));
    EXPECT_EQ(CTraceCapture::Pairs().size(), 1u);
    EXPECT_EQ(GetAppModule().GetMessageLoop(), nullptr);
}

TEST_F(AppTest, ASkinThatCannotBeLoadedStopsStartUp)
{
    CTraceCapture capture;
    EXPECT_EQ(RunWithUser(m_location, GetModuleFolder() + L"no-such-skin\\", SW_SHOWNORMAL, DismissErrorBox()), 0);
    EXPECT_EQ(m_strBoxText, L"Couldn't load skin!");
    EXPECT_TRUE(CTraceCapture::HasReported("Couldn't load skin\n"));
    EXPECT_EQ(CTraceCapture::Pairs().size(), 1u);
    EXPECT_EQ(GetAppModule().GetMessageLoop(), nullptr);
    // The settings key was opened (and created) before the skin was tried.
    HKEY hKey = nullptr;
    EXPECT_EQ(RegOpenKeyExW(m_hRoot, L"Software\\Zandu SMS", 0, KEY_READ, &hKey), ERROR_SUCCESS);
    RegCloseKey(hKey);
}

TEST_F(AppTest, TheShowCommandIsAppliedAndTheCloseButtonEndsWithZero)
{
    bool bIconic = false, bLoopRegistered = false;
    const int nResult = RunWithUser(m_location, GetSkinFolder(), SW_SHOWMINNOACTIVE, [&] {
        HWND hWnd = WaitForWindow(L"Zandu SMS");
        if (!hWnd)
            return;
        bIconic = IsIconic(hWnd) != FALSE;
        bLoopRegistered = GetAppModule().GetMessageLoop(GetAppModule().GetMainThreadId()) != nullptr;
        PostMessageW(GetDlgItem(hWnd, IDC_CLOSE), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(nResult, 0);
    EXPECT_TRUE(bIconic);
    EXPECT_TRUE(bLoopRegistered);
    EXPECT_EQ(GetAppModule().GetMessageLoop(), nullptr);
}

TEST_F(AppTest, EscapeThroughTheMessageFilterEndsWithTwo)
{
    HWND hSeen = nullptr;
    const int nResult = RunWithUser(m_location, GetSkinFolder(), SW_SHOWNORMAL, [&] {
        hSeen = WaitForWindow(L"Zandu SMS");
        if (!hSeen)
            return;
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(hSeen, nullptr), &info);
        HWND hFocus = info.hwndFocus ? info.hwndFocus : hSeen;
        PostMessageW(hFocus, WM_KEYDOWN, VK_ESCAPE, 1);
        PostMessageW(hFocus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    });
    EXPECT_EQ(nResult, 2);
    ASSERT_NE(hSeen, nullptr);
    EXPECT_FALSE(IsWindow(hSeen));  // no window of the program outlives the loop
}

// The serial worker lists the ports when the window starts; here it is held
// just before (in its trace) until the window has been destroyed, or for a
// second at most. What it announces then must reach the window, not be lost:
// the worker is stopped while the window is still there.
HANDLE g_hListing = nullptr;  // the worker is about to list the ports
HANDLE g_hGo = nullptr;       // the window has been destroyed

void HoldTheListing(const char* pszLine)
{
    if (std::string(pszLine) != "Enumerating ports...\n")
        return;
    SetEvent(g_hListing);
    WaitForSingleObject(g_hGo, 1000);
}

TEST_F(AppTest, TheSerialWorkerIsStoppedBeforeTheWindowGoes)
{
    ASSERT_EQ(GetSettingsKey().Open(m_location), ERROR_SUCCESS);
    GetSettingsKey().Value("AllowCheck").WriteBool(false);
    ASSERT_TRUE(GetSkin().LoadSkin(GetSkinFolder()));
    g_hListing = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_hGo = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    CTraceCapture capture;
    SetTraceOutput(&HoldTheListing);
    {
        CMainDlg dlg;
        ASSERT_TRUE(dlg.Create(nullptr));  // never shown
        ASSERT_EQ(WaitForSingleObject(g_hListing, 10000), WAIT_OBJECT_0);
        EXPECT_TRUE(dlg.DestroyWindow());
        SetEvent(g_hGo);
    }
    std::vector<std::string> lost;
    for (const std::string& strPair : CTraceCapture::Pairs()) {
        if (strPair.find("Announcement lost") != std::string::npos)
            lost.push_back(strPair);
    }
    EXPECT_EQ(lost, std::vector<std::string>());
    CloseHandle(g_hListing);
    CloseHandle(g_hGo);
}

} // namespace
