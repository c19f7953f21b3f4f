#include "ui/UpdateNotice.h"

#include "base/AppSettings.h"
#include "base/Util.h"
#include "ui/DontAskMsgBox.h"

void CUpdateNotice::Start(HWND hWnd, CUiQueue& ui)
{
    if (!CAppSettings().Read(EFlag::ALLOW_CHECK))
        return;
    m_window = CWindow(hWnd);
    m_pCheck = std::make_unique<CCheckForUpdates>();
    m_pCheck->SetOnDone([this, &ui] { ui.Post([this] { OnDone(); }); });
    m_pCheck->Start(THREAD_PRIORITY_NORMAL);
}

// The setting is read again: another start may have said "Don't ask again"
// meanwhile.
void CUpdateNotice::OnDone()
{
    if (!m_pCheck || !m_pCheck->IsDone())
        return;
    const CAppSettings settings;
    if (!m_pCheck->IsUpdateAvailable() || !settings.Read(EFlag::ALLOW_CHECK))
        return;
    CDontAskMsgBox box;
    if (box.DoModal(m_window, m_pCheck->GetNoticeText(), CCheckForUpdates::kNoticeCaption) == IDYES)
        ShellOpen(CCheckForUpdates::GetDownloadUrl());
    settings.Write(EFlag::ALLOW_CHECK, !box.m_bDontAsk);
}

void CUpdateNotice::Stop(ULONGLONG ullDeadline)
{
    if (m_pCheck)
        m_pCheck->Stop(ullDeadline);
}
