// The Inbox window: the received messages of the inbox file, newest first,
// in a list of senders and times (in the user's format, local time), those
// it has not shown before marked new; the selected one's sender, time and
// whole text are shown beside the list. Refresh asks the main window to read
// the phone's messages, as a request like the others; while that reading
// runs the button cancels it, and while another request runs (a send) it is
// disabled. The search box keeps the messages whose sender, name or text
// holds what it says; Export... writes those shown as CSV; Reply ends the
// dialog with IDC_INBOX_REPLY and the selected sender in GetReplyTo(), for
// the main window to open its conversation, and is disabled, the status
// saying why, for a sender that is no number. Modal, skinned with inbox.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/Contact.h"
#include "app/InboxList.h"
#include "ui/ListDetailDlg.h"
#include "win/Controls.h"

// What the Inbox needs of the main window.
class CInboxHost {
public:
    virtual ~CInboxHost() {}
    // Starts reading the phone's messages; false when none was started.
    virtual bool OnInboxRefresh() = 0;
    // Cancels the reading of the phone's messages; any other request goes on.
    virtual void OnInboxCancel() = 0;
    virtual bool IsRequestRunning() const = 0;
    // A request runs, and it reads the phone's messages.
    virtual bool IsReadingMessages() const = 0;
    virtual const std::vector<CContact>& GetContacts() const = 0;
};

class CInboxDlg : public CListDetailDlg {
public:
    CInboxDlg(CInboxHost& host, const WString& strInboxPath);

    // The main window's status text, shown under the message too.
    void ShowStatus(const WString& strText);
    // The request has ended: the list is read again.
    void OnRequestEnded();
    // A message received while the list is open: the list is read again.
    void OnMessageStored() { Fill(); }
    const WString& GetReplyTo() const { return m_strReplyTo; }

private:
    void OnInitDialog() override;
    void OnDestroy() override;
    bool OnClicked(int nId) override;
    void Fill();
    void Search() override;
    void OnExport();
    const CReceivedMsg* MessageOfRow(int nRow) const;
    void UpdateRefresh();
    void OnGetDispInfo(NMLVDISPINFOW& info) const override;
    void ShowSelected() override;

    CInboxHost& m_host;
    WString m_strPath;
    CInboxList m_list;
    std::vector<size_t> m_aRows;  // the messages shown, of m_list
    WString m_strReplyTo;
};
