#include "ui/ImportWorker.h"

#include <memory>

CImportWorker::CImportWorker(CUiQueue& ui, const WString& strPath, const std::vector<CContact>& contacts,
                             FnProgress fnProgress, FnDone fnDone)
    : m_ui(ui), m_strPath(strPath), m_contacts(contacts), m_fnProgress(std::move(fnProgress)),
      m_fnDone(std::move(fnDone))
{
}

void CImportWorker::Run()
{
    auto pResult = std::make_shared<CImportResult>();
    CContactFile file;
    // A step only when the per cent changes: a few hundred at most.
    const bool bRead = ReadContactPath(m_strPath, file, pResult->strError, [this](double dDone) {
        const unsigned nPercent = static_cast<unsigned>(dDone * 100);
        if (nPercent != m_nPercent) {
            m_nPercent = nPercent;
            m_ui.Post([fnProgress = m_fnProgress, nPercent] { fnProgress(nPercent); });
        }
        return !IsStopRequested();
    });
    pResult->bStopped = IsStopRequested();
    if (bRead && !pResult->bStopped) {
        pResult->plan = PlanImport(m_contacts, file);
        pResult->bRead = true;
    }
    m_ui.Post([fnDone = m_fnDone, pResult] { fnDone(*pResult); });
}
