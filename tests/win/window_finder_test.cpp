// The test tools' window finder: a window whose thread is busy for a while
// still gives its text, and the finder picks windows by process, title and
// class.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "support/WindowFinder.h"

namespace {

// A top-level static window on a thread of its own, which answers messages
// only after dwBusyMs.
class CBusyWindow {
public:
    explicit CBusyWindow(DWORD dwBusyMs)
        : m_thread([this, dwBusyMs] {
              m_hWnd = CreateWindowExW(0, L"STATIC", L"Busy probe", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                       nullptr, nullptr);
              m_bCreated = true;
              Sleep(dwBusyMs);
              MSG msg;
              while (!m_bQuit) {
                  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                      DispatchMessageW(&msg);
                  Sleep(5);
              }
              DestroyWindow(m_hWnd);
          })
    {
        test::WaitUntil([this] { return m_bCreated.load(); }, 10000, 1);
    }
    ~CBusyWindow()
    {
        m_bQuit = true;
        m_thread.join();
    }
    HWND Get() const { return m_hWnd; }

private:
    std::atomic<HWND> m_hWnd{nullptr};
    std::atomic<bool> m_bCreated{false};
    std::atomic<bool> m_bQuit{false};
    std::thread m_thread;
};

TEST(WindowFinder, BusyWindowStillGivesItsText)
{
    const CBusyWindow window(3000);  // longer than a loaded machine's hiccup that failed reads before
    EXPECT_EQ(test::WindowText(window.Get()), L"Busy probe");
    test::CWindowQuery query;
    query.fnProcess = [](DWORD dwPid) { return dwPid == GetCurrentProcessId(); };
    query.pszTitle = L"Busy probe";
    query.pszClass = L"static";  // a class in any case
    EXPECT_EQ(test::WaitForWindow(query, 1000), window.Get());
    query.pszTitle = L"busy probe";  // a title exactly
    EXPECT_EQ(test::WaitForWindow(query, 0), nullptr);
}

} // namespace
