// The Inbox window: the received messages of the inbox file, newest first,
// in a list of senders and times; the selected one's sender, time and whole
// text are shown beside the list. Refresh asks the main window to read the
// phone's messages, as a request like the others; while it runs the button
// cancels it. Modal, skinned with inbox.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "skinning/SkinnedButton.h"
#include "skinning/SkinnedDialog.h"
#include "skinning/SkinnedEdit.h"
#include "skinning/SkinnedRadioButton.h"
#include "skinning/StaticEx.h"
#include "ui/Contact.h"
#include "ui/InboxList.h"
#include "win/Controls.h"
#include "win/Dialog.h"

// What the Inbox needs of the main window.
class CInboxHost {
public:
    virtual ~CInboxHost() {}
    // Starts reading the phone's messages; false when none was started.
    virtual bool OnInboxRefresh() = 0;
    virtual void OnInboxCancel() = 0;
    virtual bool IsRequestRunning() const = 0;
    virtual const std::vector<CContact>& GetContacts() const = 0;
};

class CInboxDlg : public CDialog {
public:
    CInboxDlg(CInboxHost& host, const WString& strInboxPath);

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    // The main window's status text, shown under the message too.
    void ShowStatus(const WString& strText);
    // The request has ended: the list is read again.
    void OnRequestEnded();

private:
    void OnInitDialog();
    void AttachControls();
    void Fill();
    void UpdateRefresh();
    bool OnCommand(int nId, int nCode);
    bool OnNotify(NMHDR& hdr);
    void OnGetDispInfo(NMLVDISPINFOW& info) const;
    void ShowSelected();
    CListView List() const;

    CInboxHost& m_host;
    WString m_strPath;
    CInboxList m_list;

    CSkinnedDialog m_skin{m_hWnd, SBI_INBOX};  // consulted first for every message
    CStaticEx m_aStatics[3] = {{m_hWnd, SBI_INBOX}, {m_hWnd, SBI_INBOX}, {m_hWnd, SBI_INBOX}};
    CSkinnedEdit m_aEdits[3] = {{m_hWnd, SBI_INBOX}, {m_hWnd, SBI_INBOX}, {m_hWnd, SBI_INBOX}};
    CSkinnedButton m_aButtons[2] = {{m_hWnd, SBI_INBOX}, {m_hWnd, SBI_INBOX}};
    CSkinnedRadioButton m_chkDelete{m_hWnd, SBI_INBOX};
};
