// A lock that one holder at a time has among all the program's processes of
// the user's session, the window and the console tool alike: the named mutex
// "Local\Zandu SMS <name>" on Windows, an exclusive flock() of a file of that
// name in the temporary folder elsewhere (where only the tests run). A holder
// that ends without releasing it leaves it free for the next one.
#pragma once

#include <cstdint>
#include <string>

#if defined(_WIN32)
#include <windows.h>

#include "base/Raii.h"
#endif

class CNamedLock {
public:
    explicit CNamedLock(const std::string& strName) : m_strName(strName) {}
    ~CNamedLock();
    CNamedLock(const CNamedLock&) = delete;
    CNamedLock& operator=(const CNamedLock&) = delete;

    // Waits at most dwTimeoutMs: kErrorSuccess once it is held, kErrorWaitTimeout
    // while another holds it, else the system's error. One object is held once.
    uint32_t Lock(uint32_t dwTimeoutMs);
    // Releases it when held.
    void Unlock();

private:
    std::string m_strName;
    bool m_bHeld = false;
#if defined(_WIN32)
    CHandle m_hMutex;
#else
    int m_fd = -1;
#endif
};
