#include "shell/App.h"

#include <memory>

#include "win/AppModule.h"
#include "win/MessageLoop.h"
#include "online/HttpGet.h"
#include "online/SendReport.h"
#include "online/StatsReporting.h"
#include "base/Trace.h"
#include "base/Util.h"
#include "skinning/Skin.h"
#include "ui/MainDlg.h"

namespace {

void ShowError(const wchar_t* pszText)
{
    MessageBoxW(nullptr, pszText, L"Error", MB_ICONERROR);
}

// The loop of this thread, registered with the module while it exists.
class CRegisteredLoop {
public:
    CRegisteredLoop() { GetAppModule().AddMessageLoop(&m_loop); }
    ~CRegisteredLoop() { GetAppModule().RemoveMessageLoop(); }
    CMessageLoop& Loop() { return m_loop; }

private:
    CMessageLoop m_loop;
};

} // namespace

int Run(LPWSTR, int nCmdShow)
{
    // Reported trace pairs feed the usage report while the program runs.
    CStatsReporting stats;
    return RunWith(CSettingsLocation(), GetSkinFolder(), nCmdShow);
}

int RunWith(const CSettingsLocation& location, const WString& strSkinFolder, int nCmdShow)
{
    if (GetSettingsKey().Open(location) != ERROR_SUCCESS) {
        ShowError(L"Couldn't open registry!");
        TRACE_REPORT("Couldn't open registry\n");
        return 0;
    }
    std::unique_ptr<CRegisteredLoop> pLoop(new CRegisteredLoop);
    if (!GetSkin().LoadSkin(strSkinFolder)) {
        ShowError(L"Couldn't load skin!");
        TRACE_REPORT("Couldn't load skin\n");
        return 0;
    }
    std::unique_ptr<CMainDlg> pDialog(new CMainDlg);
    if (!pDialog->Create(nullptr)) {
        ShowError(L"Couldn't create main dialog!");
        TRACE_REPORT("Main dialog creation failed!\n");
        return 0;
    }
    pDialog->ShowWindow(nCmdShow);
    // Feedback that earlier starts could not send.
    QueuePendingFeedback();
    const int nResult = pLoop->Loop().Run();
    // The window is gone. Requests to the server get a little time together
    // from the close to end, then they are aborted: no server holds the exit.
    const ULONGLONG ullDeadline = pDialog->GetCloseTime() + kHttpExitWaitMs;
    pDialog->StopUpdateCheck(ullDeadline);
    StopReportSender(ullDeadline);
    // The loop leaves the map before the window's object goes, then the loop itself.
    GetAppModule().RemoveMessageLoop();
    pDialog.reset();
    pLoop.reset();
    return nResult;
}
