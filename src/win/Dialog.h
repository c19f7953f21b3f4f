// A dialog from a template, modeless (Create) or modal (DoModal). Its
// ProcessWindowMessage calls the hooks below, so a dialog writes only its
// handlers: a hook that returns true has handled its message (with the result
// the hook names), and anything not handled goes to the system's dialog
// procedure.
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

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    // A modeless dialog; null when it cannot be created.
    HWND Create(HWND hOwner, LPARAM lInitParam = 0);
    // A modal dialog: returns what EndDialog was given, or -1.
    INT_PTR DoModal(HWND hOwner, LPARAM lInitParam = 0);
    BOOL EndDialog(INT_PTR nResult) const { return ::EndDialog(m_hWnd, nResult); }

    // Centres the window over another one (the desktop's work area when null),
    // keeping it inside the work area.
    void CenterWindow(HWND hOver = nullptr) const;

protected:
    // WM_INITDIALOG; the result is TRUE: the system sets the default focus.
    virtual void OnInitDialog() {}
    // WM_COMMAND: a button's click (BN_CLICKED, also Enter's IDOK and Esc's
    // IDCANCEL) goes to OnClicked; what it leaves, and every other
    // notification, goes to OnCommand. Handled, the result is 0.
    virtual bool OnClicked(int /*nId*/) { return false; }
    virtual bool OnCommand(int /*nId*/, int /*nCode*/) { return false; }
    // WM_NOTIFY and WM_TIMER; handled, the result is 0.
    virtual bool OnNotify(NMHDR& /*hdr*/) { return false; }
    virtual bool OnTimer(UINT_PTR /*nId*/) { return false; }
    // WM_DESTROY, which goes on to the system's dialog procedure.
    virtual void OnDestroy() {}
    // Every other message.
    virtual bool OnMessage(UINT /*uMsg*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*lResult*/) { return false; }

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
