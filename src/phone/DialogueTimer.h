// The modem driver's one timer, kept by whoever drives the driver (the
// window, the console tool): when it fires, CModem::OnTimer follows.
#pragma once

#include <cstdint>

class CDialogueTimer {
public:
    virtual ~CDialogueTimer() {}
    // Arms it, or re-arms it from now.
    virtual void SetTimeout(uint32_t dwMilliseconds) = 0;
    virtual void KillTimeout() = 0;
};
