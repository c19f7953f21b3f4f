#include "win/Dialog.h"

#include "win/AppModule.h"
#include "base/Trace.h"

namespace {

// Handed to DialogProc through the creation parameter, so that the window is
// bound to its object at WM_INITDIALOG, before the object's handler sees it.
struct CCreation {
    CDialog* pDialog;
    LPARAM lInitParam;
};

} // namespace

HINSTANCE GetResourceInstance()
{
    const HINSTANCE hInstance = GetAppModule().GetInstance();
    return hInstance ? hInstance : GetModuleHandleW(nullptr);
}

CDialog::~CDialog()
{
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

HWND CDialog::Create(HWND hOwner, LPARAM lInitParam)
{
    CCreation creation = {this, lInitParam};
    return CreateDialogParamW(GetResourceInstance(), MAKEINTRESOURCEW(m_nTemplate), hOwner, DialogProc,
                              reinterpret_cast<LPARAM>(&creation));
}

INT_PTR CDialog::DoModal(HWND hOwner, LPARAM lInitParam)
{
    CCreation creation = {this, lInitParam};
    return DialogBoxParamW(GetResourceInstance(), MAKEINTRESOURCEW(m_nTemplate), hOwner, DialogProc,
                           reinterpret_cast<LPARAM>(&creation));
}

void CDialog::CenterWindow(HWND hOver) const
{
    RECT rcArea = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcArea, 0);
    RECT rcOver = rcArea;
    if (hOver)
        ::GetWindowRect(hOver, &rcOver);
    const RECT rc = GetWindowRect();
    const LONG cx = rc.right - rc.left;
    const LONG cy = rc.bottom - rc.top;
    LONG x = (rcOver.left + rcOver.right - cx) / 2;
    LONG y = (rcOver.top + rcOver.bottom - cy) / 2;
    // Inside the work area; the top-left corner wins when the window is larger.
    x = x + cx > rcArea.right ? rcArea.right - cx : x;
    y = y + cy > rcArea.bottom ? rcArea.bottom - cy : y;
    x = x < rcArea.left ? rcArea.left : x;
    y = y < rcArea.top ? rcArea.top : y;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CDialog::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog();
        lResult = TRUE;
        return true;
    case WM_COMMAND: {
        const int nId = LOWORD(wParam);
        const int nCode = HIWORD(wParam);
        lResult = 0;
        return (nCode == BN_CLICKED && OnClicked(nId)) || OnCommand(nId, nCode);
    }
    case WM_NOTIFY:
        lResult = 0;
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    case WM_TIMER:
        lResult = 0;
        return OnTimer(wParam);
    case WM_DESTROY:
        OnDestroy();
        return false;
    default:
        return OnMessage(uMsg, wParam, lParam, lResult);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG) {
        const CCreation& creation = *reinterpret_cast<const CCreation*>(lParam);
        creation.pDialog->m_hWnd = hWnd;
        BindWindowObject(hWnd, creation.pDialog);
        lParam = creation.lInitParam;
    }
    CDialog* pThis = static_cast<CDialog*>(FindWindowObject(hWnd));
    if (!pThis)
        return FALSE;  // the messages before WM_INITDIALOG
    // A handler that throws has not handled its message: the system's dialog
    // procedure gives it its default, and the window goes on.
    LRESULT lResult = 0;
    bool bHandled = false;
    CALL_CATCHING(bHandled = pThis->ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult));
    if (uMsg == WM_NCDESTROY) {
        UnbindWindowObject(hWnd);
        pThis->m_hWnd = nullptr;
        CALL_CATCHING(pThis->OnFinalMessage());
    }
    return bHandled ? Result(hWnd, uMsg, lResult) : FALSE;
}

// Most messages return their result through DWLP_MSGRESULT and TRUE; these
// return it directly from the dialog procedure.
INT_PTR CDialog::Result(HWND hWnd, UINT uMsg, LRESULT lResult)
{
    switch (uMsg) {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(lResult);
    default:
        SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
}
