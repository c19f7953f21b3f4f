// The lock that every process of the program in the user's session holds
// while it takes a kept feedback report from "PendingFeedback", sends it and
// removes it. Two windows started at once (or one started while another
// runs) both find the same kept reports; with the lock, the one that comes
// second finds a report gone once the server has accepted it, so no report
// reaches the server twice.
#pragma once

#include <windows.h>

#include "base/Raii.h"

class CFeedbackLock {
public:
    static const wchar_t kName[];  // "Local\Zandu SMS feedback"
    // A holder that keeps it longer than this is held up by a server: the
    // report stays kept for the next start.
    static const DWORD kWaitMs = 30000;

    // Waits for the lock up to dwTimeoutMs, or until hStop is set.
    CFeedbackLock(HANDLE hStop, DWORD dwTimeoutMs);
    ~CFeedbackLock();
    CFeedbackLock(const CFeedbackLock&) = delete;
    CFeedbackLock& operator=(const CFeedbackLock&) = delete;

    bool IsHeld() const { return m_bHeld; }

private:
    CHandle m_hMutex;
    bool m_bHeld;
};
