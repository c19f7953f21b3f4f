// Start-up in this process: each start-up failure shows its box and writes its
// reported trace pair; a successful start runs the loop until the window ends
// it with its exit code. A watcher thread plays the user. And what a handler
// throws stops where the system called the program.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "shell/App.h"
#include "skinning/Skin.h"
#include "ui/MainDlg.h"
#include "win/AppModule.h"
#include "win/Dialog.h"
#include "win/MessageLoop.h"
#include "win/SubclassedWindow.h"
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

// Runs start-up on this thread while fnUser acts on another; a user that
// does not finish in time ends the loop with 99 instead of hanging the test.
int RunWithUser(const CSettingsLocation& location, const WString& strSkin, int nCmdShow,
                const std::function<void()>& fnUser)
{
    const DWORD dwThread = GetCurrentThreadId();
    std::atomic<bool> bDone{false};
    std::thread user([&] {
        fnUser();
        if (!test::WaitUntil([&] { return bDone.load(); }, 10000, 20))
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
            m_strBoxText = test::WindowText(GetDlgItem(hBox, 0xFFFF));
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

// Handlers that throw: a dialog's and its message filter's, and a
// subclassed control's (something that is no std::exception).
class CThrowingDialog : public CDialog, public CMessageFilter {
public:
    CThrowingDialog() : CDialog(IDD_ABOUT) {}
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_APP)
            throw std::logic_error("the filter failed");
        return FALSE;
    }
    int m_nClicks = 0;

protected:
    bool OnClicked(int nId) override
    {
        if (nId == IDC_ABOUT_OK)
            throw std::runtime_error("the OK handler failed");
        ++m_nClicks;
        return true;
    }
};

class CThrowingControl : public CSubclassedWindow {
public:
    bool ProcessWindowMessage(HWND, UINT uMsg, WPARAM, LPARAM, LRESULT&) override
    {
        if (uMsg == WM_SETTEXT)
            throw 42;
        return false;
    }
};

// Each exception stops at its boundary with its reported pair (the
// boundary's location, then the what text), the message gets the system's
// default, and the window and the loop go on.
TEST(Boundary, WhatAHandlerThrowsStopsWhereTheSystemCalledIn)
{
    GetAppModule().Init(GetModuleHandleW(nullptr));
    CThrowingDialog dlg;
    ASSERT_TRUE(dlg.Create(nullptr));
    CThrowingControl control;
    ASSERT_TRUE(control.Attach(dlg.GetDlgItem(IDC_ABOUT_VERSION)));
    CMessageLoop loop;
    loop.AddMessageFilter(&dlg);
    int nExit = -1;
    const struct {
        const char* pszBoundary;
        std::function<void()> fnThrow;
        const char* pszWhat;
    } cases[] = {
        {"src/win/Dialog.cpp", [&] { dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ABOUT_OK, BN_CLICKED)); },
         "the OK handler failed\n"},
        {"src/win/SubclassedWindow.cpp", [&] { control.SetWindowText(WSTR("Changed")); }, "unknown exception\n"},
        {"src/win/MessageLoop.cpp",
         [&] {
             PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0);
             PostQuitMessage(3);
             nExit = loop.Run();
         },
         "the filter failed\n"},
    };
    CTraceCapture capture;
    for (const auto& c : cases) {
        CTraceCapture::Clear();
        c.fnThrow();
        const std::vector<std::string> pairs = CTraceCapture::Pairs();
        ASSERT_EQ(pairs.size(), 1u) << c.pszBoundary;
        EXPECT_EQ(pairs[0].substr(0, pairs[0].find('(')), c.pszBoundary);
        EXPECT_TRUE(CTraceCapture::HasReported(c.pszWhat)) << pairs[0];
    }
    EXPECT_EQ(control.GetWindowText(), WSTR("Changed"));  // the control's own procedure took it
    EXPECT_EQ(nExit, 3);
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_ABOUT_STATS, BN_CLICKED));
    EXPECT_EQ(dlg.m_nClicks, 1);
    EXPECT_TRUE(dlg.IsWindow());
}

} // namespace
