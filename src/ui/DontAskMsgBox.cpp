#include "ui/DontAskMsgBox.h"

#include <algorithm>

#include "base/Trace.h"
#include "base/Util.h"
#include "win/Controls.h"

namespace {

const wchar_t kDontAsk[] = L"Don't ask again";
const wchar_t kDialogClass[] = L"#32770";

const int kTextItem = 0xFFFF;     // the message text of a message box
const int kDefaultGap = 4;        // between the buttons, when the box has no No button
const int kMaxCheckHeight = 13;
const int kCheckMark = 26;        // the check mark and its margin, beside the text

// The box waiting for its window on this thread; the hook is this thread's too.
thread_local CDontAskMsgBox* t_pWaiting = nullptr;

bool IsDialogWindow(HWND hWnd)
{
    return GetWindowClass(hWnd) == kDialogClass;
}

SIZE TextSize(HWND hWnd, HFONT hFont, const wchar_t* pszText)
{
    SIZE size = {};
    const CWindowDC dc(hWnd);
    const CSelectObject font(dc, hFont);
    GetTextExtentPoint32W(dc, pszText, static_cast<int>(wcslen(pszText)), &size);
    return size;
}

} // namespace

int CDontAskMsgBox::DoModal(HWND hOwner, const WString& strText, const WString& strCaption)
{
    m_bDontAsk = false;
    m_hCheck = nullptr;
    t_pWaiting = this;
    m_hHook.Reset(SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId()));
    const int nResult = ::MessageBoxW(hOwner, strText.c_str(), strCaption.c_str(), MB_ICONQUESTION | MB_YESNO);
    // A box that was never caught leaves neither the hook nor the pointer behind.
    m_hHook.Reset();
    t_pWaiting = nullptr;
    return nResult;
}

LRESULT CALLBACK CDontAskMsgBox::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    CDontAskMsgBox* pBox = t_pWaiting;
    const LRESULT lResult = CallNextHookEx(nullptr, nCode, wParam, lParam);
    if (nCode == HCBT_CREATEWND && pBox)
        CALL_CATCHING(pBox->TakeIfBox(reinterpret_cast<HWND>(wParam)));  // a box not taken stays plain
    return lResult;
}

// The first dialog window created on the thread is the box; windows of
// another class that the system may create first are let through.
void CDontAskMsgBox::TakeIfBox(HWND hWnd)
{
    if (!IsDialogWindow(hWnd))
        return;
    t_pWaiting = nullptr;
    m_hHook.Reset();
    AttachBox(hWnd);
}

bool CDontAskMsgBox::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_INITDIALOG:
        // The box lays out its text and buttons in its own WM_INITDIALOG on
        // some systems, so the check box is placed after it.
        lResult = DefWindowProc(uMsg, wParam, lParam);
        AddCheckBox();
        return true;
    case WM_DESTROY:
        m_bDontAsk = m_hCheck && CButton(m_hCheck).IsChecked();
        return false;
    default:
        return false;
    }
}

// Under the Yes button, as far below it as the buttons are apart; the box
// grows downwards by as much.
void CDontAskMsgBox::AddCheckBox()
{
    const HWND hYes = GetDlgItem(IDYES);
    const HWND hNo = GetDlgItem(IDNO);
    const CWindow text = GetDlgItem(kTextItem);
    if (!hYes || !text.m_hWnd)
        return;
    const RECT rcYes = CWindow(hYes).GetRectIn(m_hWnd);
    const LONG nGap = hNo ? CWindow(hNo).GetRectIn(m_hWnd).left - rcYes.right : kDefaultGap;
    const LONG cyGap = nGap >= 0 ? nGap : kDefaultGap;
    const HFONT hFont = text.GetFont();
    const SIZE size = TextSize(m_hWnd, hFont, kDontAsk);
    const LONG cyCheck = std::min<LONG>(size.cy, kMaxCheckHeight);

    const RECT rcBox = GetWindowRect();
    SetWindowPos(nullptr, 0, 0, rcBox.right - rcBox.left, rcBox.bottom - rcBox.top + cyGap + cyCheck,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_hCheck = CreateWindowExW(0, L"BUTTON", kDontAsk, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, rcYes.left,
                               rcYes.bottom + cyGap, size.cx + kCheckMark, cyCheck, m_hWnd, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (m_hCheck)
        CWindow(m_hCheck).SetFont(hFont);
}
