// The program's icon in the notification area: added while the program
// receives messages, removed when it stops. Its tip says what came last,
// a balloon shows each new message, and a click on either comes to the
// owner window as the callback message (lParam: the mouse message, or
// NIN_BALLOONUSERCLICK). Where there is no notification area nothing shows
// and nothing fails; a shell that starts again (after a crash of the
// explorer) gets the icon anew.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "base/Text.h"

class CNotifyIcon {
public:
    CNotifyIcon() = default;
    ~CNotifyIcon() { Remove(); }
    CNotifyIcon(const CNotifyIcon&) = delete;
    CNotifyIcon& operator=(const CNotifyIcon&) = delete;

    // Adds the icon, or changes its tip when it is there.
    void Show(HWND hWnd, UINT uMessage, HICON hIcon, const WString& strTip);
    // The tip alone, when the icon is there.
    void SetTip(const WString& strTip);
    // The tip becomes the title; the balloon shows the title and the text.
    void ShowBalloon(const WString& strTitle, const WString& strText);
    void Remove();
    bool IsShown() const { return m_hWnd != nullptr; }

    // What a shell that has started sends every top-level window.
    static UINT GetTaskbarCreatedMessage();
    // The new shell knows no icon: it is added again as it was.
    void Restore();

private:
    // The icon as it is now, uFlags naming the fields the shell is to take.
    NOTIFYICONDATAW Data(UINT uFlags) const;

    HWND m_hWnd = nullptr;
    UINT m_uMessage = 0;
    HICON m_hIcon = nullptr;
    WString m_strTip;
};
