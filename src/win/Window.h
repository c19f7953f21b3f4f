// The thin window framework: a window handle with one-line wrappers of the
// calls the dialogs make, and the one place where a window object is bound
// to its handle.
//
// Errors in this layer: the wrappers return what the system returns (a
// BOOL, a handle, GetLastError after it); every place where the system
// calls the program (window and dialog procedures, hooks, message filters)
// catches what was thrown there (CALL_CATCHING): a handler that throws has
// not handled its message.
#pragma once

#include <windows.h>

#include "base/Text.h"

// A window object's message handling: true when the message has been
// handled, with its result in lResult; anything left goes to the system.
class CMessageMap {
public:
    virtual bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) = 0;

protected:
    ~CMessageMap() = default;
};

// The object bound to a window (a dialog or a subclassed control), or null.
void BindWindowObject(HWND hWnd, CMessageMap* pObject);
void UnbindWindowObject(HWND hWnd);
CMessageMap* FindWindowObject(HWND hWnd);

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND hWnd) : m_hWnd(hWnd) {}

    operator HWND() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    CWindow GetDlgItem(int nId) const { return CWindow(::GetDlgItem(m_hWnd, nId)); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    int GetDlgCtrlId() const { return ::GetDlgCtrlID(m_hWnd); }

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
    }
    BOOL PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, uMsg, wParam, lParam);
    }

    WString GetWindowText() const;
    BOOL SetWindowText(const WString& strText) const { return ::SetWindowTextW(m_hWnd, strText.c_str()); }
    void SetFont(HFONT hFont, bool bRedraw = true) const
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
    }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }

    BOOL EnableWindow(bool bEnable) const { return ::EnableWindow(m_hWnd, bEnable); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    HWND SetFocus() const { return ::SetFocus(m_hWnd); }
    BOOL Invalidate(bool bErase = true) const { return ::InvalidateRect(m_hWnd, nullptr, bErase); }
    BOOL DestroyWindow() const { return ::DestroyWindow(m_hWnd); }

    RECT GetClientRect() const
    {
        RECT rc = {};
        ::GetClientRect(m_hWnd, &rc);
        return rc;
    }
    RECT GetWindowRect() const
    {
        RECT rc = {};
        ::GetWindowRect(m_hWnd, &rc);
        return rc;
    }
    // The window's rectangle in the client coordinates of another (its parent).
    RECT GetRectIn(HWND hOther) const
    {
        RECT rc = GetWindowRect();
        ::MapWindowPoints(nullptr, hOther, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    BOOL SetWindowPos(HWND hAfter, int x, int y, int cx, int cy, UINT uFlags) const
    {
        return ::SetWindowPos(m_hWnd, hAfter, x, y, cx, cy, uFlags);
    }

    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
    // Removes and adds style bits; when they changed, the frame is recomputed
    // (SetWindowPos with SWP_FRAMECHANGED and no move, size or activation).
    bool ModifyStyle(DWORD dwRemove, DWORD dwAdd) const { return ModifyStyleOf(GWL_STYLE, dwRemove, dwAdd); }
    bool ModifyStyleEx(DWORD dwRemove, DWORD dwAdd) const { return ModifyStyleOf(GWL_EXSTYLE, dwRemove, dwAdd); }

    UINT_PTR SetTimer(UINT_PTR nId, UINT uElapse) const { return ::SetTimer(m_hWnd, nId, uElapse, nullptr); }
    BOOL KillTimer(UINT_PTR nId) const { return ::KillTimer(m_hWnd, nId); }

    int MessageBox(const WString& strText, const wchar_t* pszCaption, UINT uType) const
    {
        return ::MessageBoxW(m_hWnd, strText.c_str(), pszCaption, uType);
    }

    HWND m_hWnd = nullptr;

private:
    bool ModifyStyleOf(int nIndex, DWORD dwRemove, DWORD dwAdd) const;
};
