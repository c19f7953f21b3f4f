// The contact import's reading of a file and its plan, on a thread of its
// own: a file of many megabytes takes seconds, and the Contacts window keeps
// answering meanwhile and can cancel it. The worker hands its progress and,
// once, its result to the window's thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "base/Thread.h"
#include "base/UiQueue.h"
#include "app/Contact.h"
#include "app/ContactImport.h"

// What an import's reading came to.
struct CImportResult {
    bool bRead = false;      // the file was read: plan holds what the import would do
    bool bStopped = false;   // cancelled before that
    std::string strError;    // why it could not be read
    CImportPlan plan;
};

class CImportWorker : public CThread<CImportWorker> {
public:
    typedef std::function<void(unsigned nPercent)> FnProgress;
    typedef std::function<void(const CImportResult& result)> FnDone;

    // The plan is made against these contacts, as stored when the import
    // began. Both functions run on the thread of ui's window; fnDone once.
    CImportWorker(CUiQueue& ui, const WString& strPath, const std::vector<CContact>& contacts, FnProgress fnProgress,
                  FnDone fnDone);
    ~CImportWorker() override { Stop(); }

    // Cancel: the reader stops at its next step; the result says so.
    void Cancel() { RequestStop(); }

    void Run();

private:
    CUiQueue& m_ui;
    const WString m_strPath;
    const std::vector<CContact> m_contacts;
    const FnProgress m_fnProgress;
    const FnDone m_fnDone;
    unsigned m_nPercent = 0;  // the last one handed on
};
