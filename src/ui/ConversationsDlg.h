// The Conversations window: the messages sent and received as one thread
// per correspondent (CConversationList), newest thread first, each with its
// unread count and its last message; the selected thread's messages in time
// order, each in or out with its time in the user's format and a sent one's
// delivery state, the selected message's whole text under them, and a reply
// box with the main window's character counter whose Send goes through the
// main window's send path. Opening a thread marks its received messages
// seen in the inbox file. The search box keeps the threads whose name,
// number or messages hold what it says; Export... writes the thread shown as
// CSV. The main window calls Refresh when the inbox file or the History has
// changed. Modal, skinned with conversations.bmp.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "app/Contact.h"
#include "app/ConversationList.h"
#include "res/resource.h"
#include "ui/ListDetailDlg.h"
#include "win/Controls.h"

// What the Conversations window needs of the main window.
class CConversationsHost {
public:
    virtual ~CConversationsHost() {}
    // Sends the text to the number as the main window sends (its checks
    // and boxes included); a request runs afterwards when it started.
    virtual void SendReply(const WString& strRecipient, const WString& strText) = 0;
    virtual bool IsRequestRunning() const = 0;
    virtual const std::vector<CContact>& GetContacts() const = 0;
};

class CConversationsDlg : public CListDetailDlg {
public:
    // strNumber: the correspondent whose thread is selected first (empty: the newest).
    CConversationsDlg(CConversationsHost& host, const WString& strInboxPath, const WString& strNumber);

    // Selects the thread of a number (a reply to start, a notification clicked).
    void ShowThread(const WString& strNumber);
    // The messages are read again (one stored, a send over); the thread shown stays.
    void Refresh();
    // The main window's status text, shown here too.
    void ShowStatus(const WString& strText);
    // A request has ended: the threads are read again, Send is usable again.
    void OnRequestEnded();
    // The reply's send is over: a text that went to nobody comes back into the box.
    void OnReplyEnded(bool bSent);

private:
    void OnInitDialog() override;
    void InitColumns();
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    bool OnNotify(NMHDR& hdr) override;
    void Search() override;
    void OnGetDispInfo(NMLVDISPINFOW& info) const override;
    void ShowSelected() override;
    void ShowMessage();
    void OnMessageDispInfo(NMLVDISPINFOW& info) const;
    void SelectThread(const WString& strNumber);
    void MarkSeen(size_t nThread);
    void OnSend();
    void OnExport();
    void UpdateSend();
    void UpdateCharCount();
    const CConversation* ThreadOfRow(int nRow) const;
    const CConversation* Shown() const { return m_nShown < m_list.GetCount() ? &m_list.Get(m_nShown) : nullptr; }
    CListView Messages() const { return CListView(GetDlgItem(IDC_CONV_MESSAGES)); }

    CConversationsHost& m_host;
    WString m_strPath;
    WString m_strSelect;              // the number whose thread is to be selected
    CConversationList m_list;
    std::vector<size_t> m_aRows;      // the threads shown, of m_list
    size_t m_nShown = SIZE_MAX;       // the thread whose messages are shown
    WString m_strReplyTo;             // where Send goes: the thread's number
    WString m_strSending;             // the reply on its way, until its send is over
};
