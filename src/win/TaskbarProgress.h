// The progress of long work on the window's taskbar button (Windows 7 and
// later): a send to several recipients, a phone-book download. Where the
// taskbar cannot show it, nothing is shown and nothing fails.
#pragma once

#include <windows.h>

#include <cstdint>

struct ITaskbarList3;

class CTaskbarProgress {
public:
    CTaskbarProgress() = default;
    ~CTaskbarProgress() { Reset(); }
    CTaskbarProgress(const CTaskbarProgress&) = delete;
    CTaskbarProgress& operator=(const CTaskbarProgress&) = delete;

    // The message the taskbar sends a window when its button has been
    // (created again: the taskbar restarted): the button is taken anew.
    static UINT GetButtonCreatedMessage();

    void Show(HWND hWnd, uint64_t nDone, uint64_t nTotal);
    void Clear(HWND hWnd);
    // The taskbar's object goes; the next Show takes a new one.
    void Reset();

private:
    ITaskbarList3* Taskbar();

    ITaskbarList3* m_pTaskbar = nullptr;
    bool m_bFailed = false;  // the taskbar has none: not asked again
};
