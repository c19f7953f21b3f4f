#include "base/UiQueue.h"

#include <utility>

UINT CUiQueue::GetMessageId()
{
    static const UINT nMessage = RegisterWindowMessageW(L"Zandu SMS work for the window");
    return nMessage;
}

// One message stands for everything queued until the window drains it.
bool CUiQueue::Post(std::function<void()> fnWork)
{
    CLock lock(m_cs);
    const bool bFirst = m_work.empty();
    m_work.push_back(std::move(fnWork));
    if (!bFirst)
        return true;
    if (m_hWnd && PostMessageW(m_hWnd, GetMessageId(), 0, 0))
        return true;
    m_work.pop_back();
    return false;
}

void CUiQueue::Drain()
{
    std::deque<std::function<void()>> work;
    {
        CLock lock(m_cs);
        work.swap(m_work);
    }
    for (const std::function<void()>& fnWork : work)
        fnWork();
}

void CUiQueue::Discard()
{
    std::deque<std::function<void()>> work;
    CLock lock(m_cs);
    work.swap(m_work);
}
