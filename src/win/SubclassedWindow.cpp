#include "win/SubclassedWindow.h"

#include "base/Trace.h"

bool CSubclassedWindow::Attach(HWND hWnd)
{
    if (m_hWnd || !::IsWindow(hWnd) || FindWindowObject(hWnd))
        return false;
    BindWindowObject(hWnd, this);
    m_hWnd = hWnd;
    m_pfnPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CSubclassedWindow::WindowProc)));
    if (!m_pfnPrevious) {
        UnbindWindowObject(hWnd);
        m_hWnd = nullptr;
        return false;
    }
    return true;
}

void CSubclassedWindow::Detach()
{
    if (!m_hWnd)
        return;
    // Only a procedure that is still ours may be put back; one subclassed
    // again after us would otherwise be cut out.
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == &CSubclassedWindow::WindowProc)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevious));
    UnbindWindowObject(m_hWnd);
    m_hWnd = nullptr;
}

LRESULT CALLBACK CSubclassedWindow::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CSubclassedWindow* pThis = static_cast<CSubclassedWindow*>(FindWindowObject(hWnd));
    if (!pThis)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);
    // A handler that throws has not handled its message: the previous
    // procedure gets it, as it gets every message the object leaves.
    LRESULT lResult = 0;
    bool bHandled = false;
    if (uMsg != WM_NCDESTROY)
        CALL_CATCHING(bHandled = pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult));
    if (bHandled)
        return lResult;
    const WNDPROC pfnPrevious = pThis->m_pfnPrevious;
    if (uMsg == WM_NCDESTROY) {
        pThis->Detach();
        CALL_CATCHING(pThis->OnFinalMessage());
    }
    return CallWindowProcW(pfnPrevious, hWnd, uMsg, wParam, lParam);
}
