// The update check of a program start and its notice: the check runs on its
// worker and hands its end to the window's thread, and a newer version is
// offered at most once, unless the user said "Don't ask again".
#pragma once

#include <windows.h>

#include <memory>

#include "base/UiQueue.h"
#include "online/CheckForUpdates.h"
#include "win/Window.h"

// Its end stops a check still running, as at exit.
class CUpdateNotice {
public:
    // Nothing when "AllowCheck" is off; else the check starts, and once it
    // is over the notice asks over hWnd, on its thread (through ui), whether
    // to open the download page. ui must outlive the check (Stop).
    void Start(HWND hWnd, CUiQueue& ui);
    // At exit: a check in progress may go on until ullDeadline (a
    // GetTickCount64 time) and is then aborted.
    void Stop(ULONGLONG ullDeadline);

private:
    void OnDone();

    std::unique_ptr<CCheckForUpdates> m_pCheck;
    CWindow m_window;  // the notice's owner
};
