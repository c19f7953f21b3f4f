#include "win/TaskbarProgress.h"

#include <shobjidl.h>

UINT CTaskbarProgress::GetButtonCreatedMessage()
{
    static const UINT uMessage = RegisterWindowMessageW(L"TaskbarButtonCreated");
    return uMessage;
}

void CTaskbarProgress::Show(HWND hWnd, uint64_t nDone, uint64_t nTotal)
{
    if (ITaskbarList3* pTaskbar = Taskbar()) {
        pTaskbar->SetProgressState(hWnd, TBPF_NORMAL);
        pTaskbar->SetProgressValue(hWnd, nDone, nTotal);
    }
}

void CTaskbarProgress::Clear(HWND hWnd)
{
    if (m_pTaskbar)
        m_pTaskbar->SetProgressState(hWnd, TBPF_NOPROGRESS);
}

void CTaskbarProgress::Reset()
{
    if (m_pTaskbar)
        m_pTaskbar->Release();
    m_pTaskbar = nullptr;
    m_bFailed = false;
}

ITaskbarList3* CTaskbarProgress::Taskbar()
{
    if (m_pTaskbar || m_bFailed)
        return m_pTaskbar;
    void* pv = nullptr;
    m_bFailed = FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3, &pv));
    m_pTaskbar = static_cast<ITaskbarList3*>(pv);
    if (m_pTaskbar && FAILED(m_pTaskbar->HrInit())) {
        m_pTaskbar->Release();
        m_pTaskbar = nullptr;
        m_bFailed = true;
    }
    return m_pTaskbar;
}
