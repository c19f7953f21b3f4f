#include "ui/ImportWorker.h"

#include <memory>

CImportWorker::CImportWorker(HWND hWindow, const WString& strPath, const std::vector<CContact>& contacts)
    : m_hWindow(hWindow), m_strPath(strPath), m_contacts(contacts)
{
}

void CImportWorker::Run()
{
    std::unique_ptr<CImportResult> pResult(new CImportResult);
    CContactFile file;
    // A message only when the per cent changes: a few hundred at most.
    const bool bRead = ReadContactPath(m_strPath, file, pResult->strError, [this](double dDone) {
        const WPARAM nPercent = static_cast<WPARAM>(dDone * 100);
        if (nPercent != m_nPercent) {
            m_nPercent = nPercent;
            PostMessageW(m_hWindow, WM_IMPORT_PROGRESS, nPercent, 0);
        }
        return !IsStopRequested();
    });
    pResult->bStopped = IsStopRequested();
    if (bRead && !pResult->bStopped) {
        pResult->plan = PlanImport(m_contacts, file);
        pResult->bRead = true;
    }
    if (PostMessageW(m_hWindow, WM_IMPORT_DONE, 0, reinterpret_cast<LPARAM>(pResult.get())))
        pResult.release();  // the window's now
}

void CImportWorker::DropPosted(HWND hWindow)
{
    MSG msg;
    while (PeekMessageW(&msg, hWindow, WM_IMPORT_DONE, WM_IMPORT_DONE, PM_REMOVE))
        delete reinterpret_cast<CImportResult*>(msg.lParam);
}
