// TEMPORARY: a bare main window from dialog resource 129 that lets start-up,
// the message loop and shutdown run end to end until the real main dialog
// (CMainDlg) replaces it. It only knows how to close and minimise.
#pragma once

#include <windows.h>

#include "win/MessageLoop.h"

class CStandInMainDlg : public CMessageFilter {
public:
    CStandInMainDlg() = default;
    ~CStandInMainDlg();
    CStandInMainDlg(const CStandInMainDlg&) = delete;
    CStandInMainDlg& operator=(const CStandInMainDlg&) = delete;

    // Creates the modeless dialog without owner; null on failure.
    HWND Create(HINSTANCE hInstance);
    HWND GetHwnd() const { return m_hWnd; }

    BOOL PreTranslateMessage(MSG* pMsg) override;

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT uMsg, WPARAM wParam);
    void Close(int nExitCode);

    HWND m_hWnd = nullptr;
};
