#include "win/NotifyIcon.h"

#include <algorithm>

namespace {

// A text cut to fit a fixed buffer of the structure, always terminated.
template <size_t N>
void CopyCut(wchar_t (&szTo)[N], const WString& strFrom)
{
    const size_t nLength = std::min(strFrom.size(), N - 1);
    std::copy_n(strFrom.c_str(), nLength, szTo);
    szTo[nLength] = L'\0';
}

const UINT kWhole = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // the icon as added

} // namespace

NOTIFYICONDATAW CNotifyIcon::Data(UINT uFlags) const
{
    NOTIFYICONDATAW data = {};
    data.cbSize = sizeof(data);
    data.hWnd = m_hWnd;
    data.uID = 1;
    data.uFlags = uFlags;
    data.uCallbackMessage = m_uMessage;
    data.hIcon = m_hIcon;
    CopyCut(data.szTip, m_strTip);
    return data;
}

void CNotifyIcon::Show(HWND hWnd, UINT uMessage, HICON hIcon, const WString& strTip)
{
    const bool bAdded = m_hWnd != nullptr;
    m_hWnd = hWnd;
    m_uMessage = uMessage;
    m_hIcon = hIcon;
    m_strTip = strTip;
    NOTIFYICONDATAW data = Data(kWhole);
    if (!Shell_NotifyIconW(bAdded ? NIM_MODIFY : NIM_ADD, &data) && !bAdded)
        Shell_NotifyIconW(NIM_MODIFY, &data);  // left by a window of the same handle: taken over
}

void CNotifyIcon::SetTip(const WString& strTip)
{
    if (!m_hWnd)
        return;
    m_strTip = strTip;
    NOTIFYICONDATAW data = Data(NIF_TIP);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CNotifyIcon::ShowBalloon(const WString& strTitle, const WString& strText)
{
    if (!m_hWnd)
        return;
    m_strTip = strTitle;
    NOTIFYICONDATAW data = Data(NIF_TIP | NIF_INFO);
    CopyCut(data.szInfoTitle, strTitle);
    CopyCut(data.szInfo, strText.empty() ? WString(WSTR(" ")) : strText);  // an empty text shows no balloon
    data.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CNotifyIcon::Remove()
{
    if (!m_hWnd)
        return;
    NOTIFYICONDATAW data = Data(0);
    Shell_NotifyIconW(NIM_DELETE, &data);
    m_hWnd = nullptr;
}

UINT CNotifyIcon::GetTaskbarCreatedMessage()
{
    static const UINT uMessage = RegisterWindowMessageW(L"TaskbarCreated");
    return uMessage;
}

void CNotifyIcon::Restore()
{
    if (!m_hWnd)
        return;
    NOTIFYICONDATAW data = Data(kWhole);
    Shell_NotifyIconW(NIM_ADD, &data);
}
