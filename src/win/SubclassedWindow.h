// A window of another class (a control, a message box) whose window
// procedure is replaced by an object: the object sees every message first in
// ProcessWindowMessage, and what it leaves goes to the previous procedure.
#pragma once

#include <windows.h>

#include "win/Window.h"

class CSubclassedWindow : public CWindow, public CMessageMap {
public:
    CSubclassedWindow() = default;
    virtual ~CSubclassedWindow() { Detach(); }

    CSubclassedWindow(const CSubclassedWindow&) = delete;
    CSubclassedWindow& operator=(const CSubclassedWindow&) = delete;

    // Replaces the window's procedure; false (and nothing attached) when the
    // window is invalid, already attached, or its procedure cannot be replaced.
    bool Attach(HWND hWnd);
    // Puts the previous procedure back. Happens by itself at WM_NCDESTROY.
    void Detach();

protected:
    // The previous procedure, for a message the object handles only in part.
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
    {
        return CallWindowProcW(m_pfnPrevious, m_hWnd, uMsg, wParam, lParam);
    }
    // After the last message of the window: the object is detached.
    virtual void OnFinalMessage() {}

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnPrevious = nullptr;
};
