#include "win/MessageLoop.h"

#include <algorithm>

#include "base/Trace.h"

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
    // By index: a filter may remove itself (its window is destroyed) while it
    // runs. One that throws has not taken the message, and the loop goes on.
    for (size_t i = m_aFilters.size(); i-- > 0;) {
        BOOL bTaken = FALSE;
        if (i < m_aFilters.size())
            CALL_CATCHING(bTaken = m_aFilters[i]->PreTranslateMessage(pMsg));
        if (bTaken)
            return true;
    }
    return false;
}
