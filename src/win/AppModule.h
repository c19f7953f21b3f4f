// The application module: the instance handle and the message loop of each
// thread that runs one (only the user-interface thread does).
#pragma once

#include <windows.h>

#include <map>
#include <mutex>

class CMessageLoop;

class CAppModule {
public:
    void Init(HINSTANCE hInstance);
    void Term();

    HINSTANCE GetInstance() const { return m_hInstance; }
    DWORD GetMainThreadId() const { return m_dwMainThreadId; }

    // The loop of the calling thread; a window registers its filter there.
    void AddMessageLoop(CMessageLoop* pLoop);
    void RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD dwThreadId = GetCurrentThreadId()) const;

private:
    HINSTANCE m_hInstance = nullptr;
    DWORD m_dwMainThreadId = 0;
    mutable std::mutex m_lock;
    std::map<DWORD, CMessageLoop*> m_mapLoops;
};

CAppModule& GetAppModule();
