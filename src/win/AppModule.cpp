#include "win/AppModule.h"

void CAppModule::Init(HINSTANCE hInstance)
{
    m_hInstance = hInstance;
    m_dwMainThreadId = GetCurrentThreadId();
}

void CAppModule::Term()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_mapLoops.clear();
}

void CAppModule::AddMessageLoop(CMessageLoop* pLoop)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_mapLoops[GetCurrentThreadId()] = pLoop;
}

void CAppModule::RemoveMessageLoop()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_mapLoops.erase(GetCurrentThreadId());
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD dwThreadId) const
{
    std::lock_guard<std::mutex> lock(m_lock);
    const auto it = m_mapLoops.find(dwThreadId);
    return it == m_mapLoops.end() ? nullptr : it->second;
}

CAppModule& GetAppModule()
{
    static CAppModule module;
    return module;
}
