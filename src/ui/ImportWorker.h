// The contact import's reading of a file and its plan, on a thread of its
// own: a file of many megabytes takes seconds, and the Contacts window keeps
// answering meanwhile and can cancel it. The worker posts its progress and,
// once, its result to the window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/Text.h"
#include "base/Thread.h"
#include "app/Contact.h"
#include "app/ContactImport.h"

// What an import's reading came to; carried by WM_IMPORT_DONE.
struct CImportResult {
    bool bRead = false;      // the file was read: plan holds what the import would do
    bool bStopped = false;   // cancelled before that
    std::string strError;    // why it could not be read
    CImportPlan plan;
};

class CImportWorker : public CThread<CImportWorker> {
public:
    // wParam: how far the reading has come, in per cent.
    static constexpr UINT WM_IMPORT_PROGRESS = WM_APP + 1;
    // lParam: the CImportResult, which the window deletes. Posted once.
    static constexpr UINT WM_IMPORT_DONE = WM_APP + 2;

    // The plan is made against these contacts, as stored when the import began.
    CImportWorker(HWND hWindow, const WString& strPath, const std::vector<CContact>& contacts);
    ~CImportWorker() override { Stop(); }

    // Cancel: the reader stops at its next step; the result says so.
    void Cancel() { RequestStop(); }
    // After the thread has ended, before the window goes: deletes a result
    // posted but not received.
    static void DropPosted(HWND hWindow);

    void Run();

private:
    const HWND m_hWindow;
    const WString m_strPath;
    const std::vector<CContact> m_contacts;
    WPARAM m_nPercent = 0;  // the last one posted
};
