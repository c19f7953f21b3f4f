#include "ui/Receiving.h"

#include <shellapi.h>

#include "app/InboxList.h"
#include "base/AppSettings.h"
#include "base/Trace.h"
#include "res/resource.h"
#include "win/Dialog.h"

namespace {

WString ReceivingTip(const WString& strPort)
{
    return WSTR("Zandu SMS: receiving messages on ") + strPort;
}

} // namespace

CReceiving::CReceiving(CReceivingHost& host, CPhoneSession& session, CListKey& reportsKey, const WString& strInboxPath)
    : m_host(host), m_session(session), m_receiver(*this, reportsKey, strInboxPath, false)
{
}

void CReceiving::Follow(HWND hWnd, bool bOn, const WString& strPort)
{
    const WString strWanted = bOn ? strPort : WString();
    if (strWanted == m_strPort)
        return;
    if (IsOn() && !strWanted.empty())
        m_receiver.SetState(EListening::STOPPED, m_strPort);  // the other port's start is told anew
    m_strPort = strWanted;
    m_hold.Hold(strWanted);
    if (strWanted.empty()) {
        m_icon.Remove();
        m_session.Listen(nullptr, WString());
        return;
    }
    m_receiver.SetDelete(CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    const HICON hIcon = static_cast<HICON>(LoadImageW(GetResourceInstance(), MAKEINTRESOURCEW(IDI_ZANDU), IMAGE_ICON,
                                                      GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                      LR_SHARED));
    m_icon.Show(hWnd, WM_RECEIVING_ICON, hIcon, ReceivingTip(strWanted));
    m_session.Listen(&m_receiver, strWanted);
}

// A click on the icon or on its balloon: the last sender's conversation
// (before any message, the newest).
bool CReceiving::OnIconMessage(LPARAM lParam, WString& strNumber) const
{
    const UINT uEvent = LOWORD(lParam);
    if (uEvent != WM_LBUTTONUP && uEvent != NIN_BALLOONUSERCLICK)
        return false;
    strNumber = m_strLastSender;
    return true;
}

void CReceiving::OnMessageReceived(const CReceivedMsg& msg)
{
    m_strLastSender = msg.strSender;
    const WString strTitle = WSTR("New message from ") + CInboxList::GetSenderName(msg.strSender, m_host.GetContacts());
    m_icon.ShowBalloon(strTitle, msg.GetText());
    TRACE_PAIR("Notification icon: %s\n", WideToUtf8(strTitle).c_str());
    m_host.OnInboxChanged();
}

void CReceiving::OnListening(EListening eState, const WString& strPort)
{
    switch (eState) {
    case EListening::LISTENING:
        m_icon.SetTip(ReceivingTip(strPort));
        m_host.OnReceivingStatus(WSTR("Receiving messages on ") + strPort);
        break;
    case EListening::LOST:
        m_icon.SetTip(WSTR("Zandu SMS: ") + strPort + WSTR(" lost; trying again"));
        m_host.OnReceivingStatus(strPort + WSTR(" lost; trying again"));
        break;
    case EListening::STOPPED: m_host.OnReceivingStatus(WSTR("Ready")); break;
    }
}

void CReceiving::OnReceiveFailure(const std::string& strError)
{
    TRACE_PAIR("Received, not stored: %s\n", strError.c_str());
    m_host.OnReceivingStatus(WSTR("Received, not stored: ") + Utf8ToWide(strError));
}
