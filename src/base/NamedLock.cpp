#include "base/NamedLock.h"

#include "base/ErrorCodes.h"

#if defined(_WIN32)

#include "base/Text.h"

CNamedLock::~CNamedLock()
{
    Unlock();
}

// Local: one lock per user session, where the window and the console tool run.
uint32_t CNamedLock::Lock(uint32_t dwTimeoutMs)
{
    if (m_bHeld)
        return kErrorSuccess;
    if (!m_hMutex) {
        m_hMutex.Reset(CreateMutexW(nullptr, FALSE, (WSTR("Local\\Zandu SMS ") + AnsiToWide(m_strName)).c_str()));
        if (!m_hMutex)
            return GetLastError();
    }
    switch (WaitForSingleObject(m_hMutex, dwTimeoutMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED:  // its holder ended: what it wrote is whole or not there at all
        m_bHeld = true;
        return kErrorSuccess;
    case WAIT_TIMEOUT:
        return kErrorWaitTimeout;
    default:
        return GetLastError();
    }
}

void CNamedLock::Unlock()
{
    if (m_bHeld)
        ReleaseMutex(m_hMutex);
    m_bHeld = false;
}

#else

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

std::string LockFilePath(const std::string& strName)
{
    const char* pszTemp = std::getenv("TMPDIR");
    return std::string(pszTemp && *pszTemp ? pszTemp : "/tmp") + "/zandu-sms-" + std::to_string(getuid()) + "-" +
           strName + ".lock";
}

} // namespace

CNamedLock::~CNamedLock()
{
    Unlock();
    if (m_fd >= 0)
        close(m_fd);
}

// Each object opens the file for itself: flock() locks of two descriptions
// exclude each other in one process as in two.
uint32_t CNamedLock::Lock(uint32_t dwTimeoutMs)
{
    if (m_bHeld)
        return kErrorSuccess;
    if (m_fd < 0) {
        m_fd = open(LockFilePath(m_strName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return static_cast<uint32_t>(errno);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(dwTimeoutMs);
    while (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return static_cast<uint32_t>(errno);
        if (std::chrono::steady_clock::now() >= deadline)
            return kErrorWaitTimeout;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    m_bHeld = true;
    return kErrorSuccess;
}

void CNamedLock::Unlock()
{
    if (m_bHeld)
        flock(m_fd, LOCK_UN);
    m_bHeld = false;
}

#endif
