// Process entry of the window program.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "shell/App.h"
#include "win/AppModule.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR pszCommandLine, int nCmdShow)
{
    CoInitialize(nullptr);
    // The list view is the History dialog's.
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    GetAppModule().Init(hInstance);
    const int nResult = Run(pszCommandLine, nCmdShow);
    GetAppModule().Term();
    CoUninitialize();
    return nResult;
}
