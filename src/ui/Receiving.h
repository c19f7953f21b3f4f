// The main window's receiving ("Receive messages"): while the box is
// checked the session listens on the chosen port, and the window holds the
// port's mark (CPortHold) so that the console tool can say who keeps the
// port open. The status line says when listening starts and when the port
// is lost; each message stored shows in the notification-area icon ("New
// message from Anna", the contact's name, else the number), whose click
// opens that conversation. What changed is told to the window, which reads
// the inbox file and the History again.
#pragma once

#include <windows.h>

#include <vector>

#include "app/Contact.h"
#include "app/PhoneSession.h"
#include "app/Receiver.h"
#include "base/ListKey.h"
#include "base/Text.h"
#include "serial/PortHold.h"
#include "win/NotifyIcon.h"

// What receiving needs of the main window.
class CReceivingHost {
public:
    virtual ~CReceivingHost() {}
    // How listening goes, for the status line.
    virtual void OnReceivingStatus(const WString& strText) = 0;
    // The inbox file gained a message.
    virtual void OnInboxChanged() = 0;
    // A sent message's delivery state changed.
    virtual void OnDeliveryChanged() = 0;
    virtual const std::vector<CContact>& GetContacts() const = 0;
};

class CReceiving : private CReceiverHost {
public:
    // The icon's callback message to the window.
    static constexpr UINT WM_RECEIVING_ICON = WM_APP + 1;

    // None is owned; all must outlive this object.
    CReceiving(CReceivingHost& host, CPhoneSession& session, CListKey& reportsKey, const WString& strInboxPath);

    // Listens on the port when bOn (another port: moves there), else stops
    // and lets the port go once the request that runs is over.
    void Follow(HWND hWnd, bool bOn, const WString& strPort);
    bool IsOn() const { return !m_strPort.empty(); }
    // The icon's callback: true with the number whose conversation to open
    // (empty: the newest).
    bool OnIconMessage(LPARAM lParam, WString& strNumber) const;
    // The shell started again: the icon comes back.
    void OnTaskbarCreated() { m_icon.Restore(); }

private:
    // CReceiverHost
    void OnMessageReceived(const CReceivedMsg& msg) override;
    void OnReportApplied(const CStatusReport&, const WString&) override { m_host.OnDeliveryChanged(); }
    void OnListening(EListening eState, const WString& strPort) override;
    void OnReceiveFailure(const std::string& strError) override;

    CReceivingHost& m_host;
    CPhoneSession& m_session;
    CReceiver m_receiver;
    CPortHold m_hold;
    CNotifyIcon m_icon;
    WString m_strPort;          // listened on; empty: not receiving
    WString m_strLastSender;    // the number of the message the icon tells of
};
