// Work handed to the thread of one window from any thread: each piece runs
// there, in the order posted, once the window's procedure has the queue's
// message and calls Drain. It is the one way work reaches a window's thread:
// a worker's results (a finished port operation, the update check's answer)
// and a step the window takes once the current one is over (the SIM's PIN
// asked for outside the driver's step).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>

#include "base/Raii.h"

class CUiQueue {
public:
    // The message the window's procedure hands to Drain; registered once.
    static UINT GetMessageId();

    // The window whose thread runs the work. Before the first Post.
    void Attach(HWND hWnd) { m_hWnd = hWnd; }
    // Any thread. False when the window cannot be reached (none, or gone):
    // the work is dropped unrun.
    bool Post(std::function<void()> fnWork);
    // The window's thread: runs what has been posted.
    void Drain();
    // The window's thread, once nobody posts any more (its workers are
    // stopped): what was posted and not run is dropped.
    void Discard();

private:
    CCriticalSection m_cs;  // guards m_work
    HWND m_hWnd = nullptr;
    std::deque<std::function<void()>> m_work;
};
