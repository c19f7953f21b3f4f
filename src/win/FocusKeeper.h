// Gives the keyboard focus back, at the end of a scope, to the window that
// had it at its start (the button or field that opened a dialog or a box),
// when that window can still take it. A dialog that closes leaves the focus
// to whatever the system picks, which may be no window at all.
#pragma once

#include <windows.h>

class CFocusKeeper {
public:
    CFocusKeeper() : m_hFocus(GetFocus()) {}
    ~CFocusKeeper()
    {
        if (m_hFocus && IsWindow(m_hFocus) && IsWindowVisible(m_hFocus) && IsWindowEnabled(m_hFocus))
            SetFocus(m_hFocus);
    }
    CFocusKeeper(const CFocusKeeper&) = delete;
    CFocusKeeper& operator=(const CFocusKeeper&) = delete;

private:
    HWND m_hFocus;
};
