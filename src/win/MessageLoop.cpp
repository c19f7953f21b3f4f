#include "win/MessageLoop.h"

#include <algorithm>

void CMessageLoop::AddMessageFilter(CMessageFilter* pFilter)
{
    m_aFilters.push_back(pFilter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter* pFilter)
{
    m_aFilters.erase(std::remove(m_aFilters.begin(), m_aFilters.end(), pFilter), m_aFilters.end());
}

int CMessageLoop::Run()
{
    MSG msg;
    for (;;) {
        const BOOL bResult = GetMessageW(&msg, nullptr, 0, 0);
        if (bResult == -1)
            continue;
        if (!bResult)
            return static_cast<int>(msg.wParam);
        if (!PreTranslate(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool CMessageLoop::PreTranslate(MSG* pMsg)
{
    // By index: a filter may remove itself (its window is destroyed) while it runs.
    for (size_t i = m_aFilters.size(); i-- > 0;) {
        if (i < m_aFilters.size() && m_aFilters[i]->PreTranslateMessage(pMsg))
            return true;
    }
    return false;
}
