#include "online/FeedbackLock.h"

const wchar_t CFeedbackLock::kName[] = L"Local\\Zandu SMS feedback";

// A holder that ended without releasing the lock leaves it abandoned: the
// registry writes it made are whole, so the next holder may go on.
CFeedbackLock::CFeedbackLock(HANDLE hStop, DWORD dwTimeoutMs)
    : m_hMutex(CreateMutexW(nullptr, FALSE, kName)), m_bHeld(false)
{
    if (!m_hMutex)
        return;
    const HANDLE ahWait[] = {m_hMutex.Get(), hStop};
    const DWORD dwWait = WaitForMultipleObjects(2, ahWait, FALSE, dwTimeoutMs);
    m_bHeld = dwWait == WAIT_OBJECT_0 || dwWait == WAIT_ABANDONED_0;
}

CFeedbackLock::~CFeedbackLock()
{
    if (m_bHeld)
        ReleaseMutex(m_hMutex);
}
