#include "shell/StandInMainDlg.h"

#include "res/resource.h"
#include "win/AppModule.h"

CStandInMainDlg::~CStandInMainDlg()
{
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

HWND CStandInMainDlg::Create(HINSTANCE hInstance)
{
    return CreateDialogParamW(hInstance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, DialogProc,
                              reinterpret_cast<LPARAM>(this));
}

BOOL CStandInMainDlg::PreTranslateMessage(MSG* pMsg)
{
    return m_hWnd && IsDialogMessageW(m_hWnd, pMsg);
}

INT_PTR CALLBACK CStandInMainDlg::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        reinterpret_cast<CStandInMainDlg*>(lParam)->m_hWnd = hWnd;
    }
    CStandInMainDlg* pThis = reinterpret_cast<CStandInMainDlg*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    return pThis ? pThis->OnMessage(uMsg, wParam) : FALSE;
}

INT_PTR CStandInMainDlg::OnMessage(UINT uMsg, WPARAM wParam)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        SetWindowTextW(m_hWnd, L"Zandu SMS");
        if (CMessageLoop* pLoop = GetAppModule().GetMessageLoop())
            pLoop->AddMessageFilter(this);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            Close(IDCANCEL);
        else if (LOWORD(wParam) == IDC_CLOSE)
            Close(0);
        else if (LOWORD(wParam) == IDC_MINIMIZE)
            ShowWindow(m_hWnd, SW_MINIMIZE);
        return TRUE;
    case WM_DESTROY:
        if (CMessageLoop* pLoop = GetAppModule().GetMessageLoop())
            pLoop->RemoveMessageFilter(this);
        SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
        return FALSE;
    }
    return FALSE;
}

void CStandInMainDlg::Close(int nExitCode)
{
    DestroyWindow(m_hWnd);
    PostQuitMessage(nExitCode);
}
