#include "win/Window.h"

#include <vector>

namespace {

// The property that holds a window's object. A property, not GWLP_USERDATA:
// that one belongs to whoever created the window (a subclassed control or a
// message box may use it).
const wchar_t kObjectProperty[] = L"ZanduSMS.WindowObject";

} // namespace

void BindWindowObject(HWND hWnd, CMessageMap* pObject)
{
    SetPropW(hWnd, kObjectProperty, pObject);
}

void UnbindWindowObject(HWND hWnd)
{
    RemovePropW(hWnd, kObjectProperty);
}

CMessageMap* FindWindowObject(HWND hWnd)
{
    return static_cast<CMessageMap*>(GetPropW(hWnd, kObjectProperty));
}

WString CWindow::GetWindowText() const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    if (nLength <= 0)
        return WString();
    std::vector<wchar_t> buf(static_cast<size_t>(nLength) + 1, L'\0');
    const int nCopied = ::GetWindowTextW(m_hWnd, buf.data(), nLength + 1);
    return WString(buf.data(), nCopied > 0 ? static_cast<size_t>(nCopied) : 0);
}

bool CWindow::ModifyStyleOf(int nIndex, DWORD dwRemove, DWORD dwAdd) const
{
    const DWORD dwOld = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, nIndex));
    const DWORD dwNew = (dwOld & ~dwRemove) | dwAdd;
    if (dwNew == dwOld)
        return false;
    ::SetWindowLongPtrW(m_hWnd, nIndex, static_cast<LONG_PTR>(dwNew));
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    return true;
}
