// A dialog from a template, modeless (Create) or modal (DoModal). The derived
// class answers messages in ProcessWindowMessage, usually a switch that
// calls plain member functions: true ends the search with the result in
// lResult, and anything not handled goes to the system's dialog procedure.
#pragma once

#include <windows.h>

#include "win/Window.h"

class CDialog : public CWindow, public CMessageMap {
public:
    explicit CDialog(UINT nTemplate) : m_nTemplate(nTemplate) {}
    // A modeless window still there is destroyed with its object.
    virtual ~CDialog();

    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // A modeless dialog; null when it cannot be created.
    HWND Create(HWND hOwner, LPARAM lInitParam = 0);
    // A modal dialog: returns what EndDialog was given, or -1.
    INT_PTR DoModal(HWND hOwner, LPARAM lInitParam = 0);
    BOOL EndDialog(INT_PTR nResult) const { return ::EndDialog(m_hWnd, nResult); }

    // Centres the window over another one (the desktop's work area when null),
    // keeping it inside the work area.
    void CenterWindow(HWND hOver = nullptr) const;

protected:
    // After the last message of the window (WM_NCDESTROY): the handle is null again.
    virtual void OnFinalMessage() {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    // How a dialog procedure hands back the result of a handled message.
    static INT_PTR Result(HWND hWnd, UINT uMsg, LRESULT lResult);

    UINT m_nTemplate;
};

// The instance whose resources the dialogs come from (the executable).
HINSTANCE GetResourceInstance();
