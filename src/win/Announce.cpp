#include "win/Announce.h"

#include <oleauto.h>

namespace {

// The values of the system's NotificationKind_Other and
// NotificationProcessing_MostRecent: a status replaces the one before it
// that has not been read yet.
const int kKindOther = 4;
const int kMostRecent = 3;

using FnHostProvider = HRESULT(WINAPI*)(HWND, IUnknown**);
using FnRaiseNotification = HRESULT(WINAPI*)(IUnknown*, int, int, BSTR, BSTR);

struct CUiAutomation {
    FnHostProvider pfnHostProvider = nullptr;
    FnRaiseNotification pfnRaiseNotification = nullptr;
};

template <class TFunction>
TFunction Find(HMODULE hModule, const char* pszName)
{
    return hModule ? reinterpret_cast<TFunction>(reinterpret_cast<void*>(GetProcAddress(hModule, pszName))) : nullptr;
}

// Loaded on the first announcement, kept for the life of the process.
const CUiAutomation& GetUiAutomation()
{
    static const CUiAutomation uia = [] {
        const HMODULE hModule = LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        CUiAutomation found;
        found.pfnHostProvider = Find<FnHostProvider>(hModule, "UiaHostProviderFromHwnd");
        found.pfnRaiseNotification = Find<FnRaiseNotification>(hModule, "UiaRaiseNotificationEvent");
        return found;
    }();
    return uia;
}

bool RaiseNotification(HWND hWnd, const WString& strText)
{
    const CUiAutomation& uia = GetUiAutomation();
    IUnknown* pProvider = nullptr;
    if (!uia.pfnHostProvider || !uia.pfnRaiseNotification || FAILED(uia.pfnHostProvider(hWnd, &pProvider)) || !pProvider)
        return false;
    const BSTR bstrText = SysAllocString(strText.c_str());
    const BSTR bstrActivity = SysAllocString(L"ZanduSMS.Status");
    const bool bRaised = bstrText && bstrActivity &&
                         SUCCEEDED(uia.pfnRaiseNotification(pProvider, kKindOther, kMostRecent, bstrText, bstrActivity));
    SysFreeString(bstrText);
    SysFreeString(bstrActivity);
    pProvider->Release();
    return bRaised;
}

} // namespace

void Announce(HWND hWnd, const WString& strText)
{
    if (!RaiseNotification(hWnd, strText))
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, hWnd, OBJID_CLIENT, CHILDID_SELF);
}
