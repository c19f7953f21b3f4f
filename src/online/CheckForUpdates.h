// The update check: one request to the maker's server on a worker thread,
// asking whether a newer version than the running one exists. The main window
// starts it once per program start and is told on its own thread when it is
// over (through its CUiQueue); when an update is available it offers the
// download page with GetNoticeText.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "base/Raii.h"
#include "base/Text.h"
#include "online/HttpWorker.h"

class CCheckForUpdates : public CHttpWorker<CCheckForUpdates> {
public:
    CCheckForUpdates();
    // Stops the check as Stop(deadline) does, if nobody did. Stop
    // (CHttpWorker) aborts a request that goes on past the deadline, which
    // means no update.
    ~CCheckForUpdates() override;

    // Before Start: fnDone runs on the worker thread once the check is over
    // (IsDone), with or without a result.
    void SetOnDone(std::function<void()> fnDone) { m_fnDone = std::move(fnDone); }

    // Worker thread (CThread).
    void Run();

    // Any thread. True once the check is over, with or without a result.
    bool IsDone() const { return m_bDone.load(std::memory_order_acquire); }
    // Only after IsDone has returned true.
    bool IsUpdateAvailable() const { return m_bUpdateAvailable; }
    const WString& GetChanges() const { return m_strChanges; }

    // The question put to the user when an update is available.
    static const wchar_t kNoticeCaption[];  // "New Version Available"
    WString GetNoticeText() const;
    // The download page on the server as the settings name it now.
    static WString GetDownloadUrl();

    // The most the check reads of the reply.
    static const uint32_t kMaxReplyBytes = 0xFFFF;

private:
    WString m_strChanges;
    bool m_bUpdateAvailable;
    // Published after the two results above (release), read before them (acquire).
    std::atomic<bool> m_bDone;
    std::function<void()> m_fnDone;
};
