// The update check of a program start and its notice: the check runs on its
// worker, the window's timer polls it once a second, and a newer version is
// offered at most once, unless the user said "Don't ask again".
#pragma once

#include <windows.h>

#include <memory>

#include "online/CheckForUpdates.h"
#include "win/Window.h"

// Its end stops a check still running, as at exit.
class CUpdateNotice {
public:
    // Nothing when "AllowCheck" is off; else the check starts and the
    // window's timer nTimerId begins to poll it.
    void Start(HWND hWnd, UINT_PTR nTimerId);
    // The timer's tick: once the check is over the timer stops, and the
    // notice asks over hWnd whether to open the download page.
    void OnTimer();
    // At exit: a check in progress may go on until ullDeadline (a
    // GetTickCount64 time) and is then aborted.
    void Stop(ULONGLONG ullDeadline);

private:
    std::unique_ptr<CCheckForUpdates> m_pCheck;
    CWindow m_window;  // the window whose timer polls, and the notice's owner
    UINT_PTR m_nTimerId = 0;
};
