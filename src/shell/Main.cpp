// Process entry of the window program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "shell/App.h"
#include "win/AppModule.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR pszCommandLine, int nCmdShow)
{
    CoInitialize(nullptr);
    // The list views are the History's, the Inbox's and the Contacts'; the
    // progress bar the Contacts' import.
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    GetAppModule().Init(hInstance);
    const int nResult = Run(pszCommandLine, nCmdShow);
    GetAppModule().Term();
    CoUninitialize();
    return nResult;
}
