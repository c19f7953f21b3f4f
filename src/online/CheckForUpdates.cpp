#include "online/CheckForUpdates.h"

#include "online/HttpGet.h"
#include "online/ServerUrl.h"
#include "online/UpdateReply.h"
#include "base/Trace.h"
#include "base/Util.h"

const wchar_t CCheckForUpdates::kNoticeCaption[] = L"New Version Available";

CCheckForUpdates::CCheckForUpdates() : m_bUpdateAvailable(false), m_bDone(false) {}

CCheckForUpdates::~CCheckForUpdates()
{
    Stop(GetTickCount64() + kHttpExitWaitMs);
}

void CCheckForUpdates::Run()
{
    const WString strVersion = GetVersionText();
    WString strBody;
    DWORD dwStatus = 0;
    // An error page is no reply, whatever it says.
    if (HttpGet(GetServerUrl(kUpdateCheckPath), kMaxReplyBytes, strBody, dwStatus, &m_abort) &&
        IsHttpSuccess(dwStatus)) {
        const CUpdateReply reply = ReadUpdateReply(strBody, strVersion);
        m_bUpdateAvailable = reply.bUpdateAvailable;
        m_strChanges = reply.strChanges;
    }
    TRACE_PAIR("Cur: %S, update avail: %s\n", strVersion.c_str(), m_bUpdateAvailable ? "yes" : "no");
    m_bDone.store(true, std::memory_order_release);
    if (m_fnDone)
        m_fnDone();
}

WString CCheckForUpdates::GetNoticeText() const
{
    return L"A new version of Zandu SMS is available with the following updates:\r\n\r\n" + m_strChanges +
           L"\r\n\r\nGo to download page?";
}

WString CCheckForUpdates::GetDownloadUrl()
{
    return GetServerUrl(kDownloadPath);
}
