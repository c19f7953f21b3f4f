#include "base/Util.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "base/Trace.h"

DWORD WaitForEventsArray(DWORD dwNumEvents, const HANDLE* phEvents, bool bWaitAll, DWORD dwMilliseconds)
{
    ZASSERT(dwNumEvents > 0);
    return WaitForMultipleObjects(dwNumEvents, phEvents, bWaitAll ? TRUE : FALSE, dwMilliseconds);
}

DWORD EnumRegValues(HKEY hKey, const FnOnValue& fnOnValue)
{
    DWORD dwMaxName = 0, dwMaxData = 0;
    RegQueryInfoKeyW(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &dwMaxName, &dwMaxData,
                     nullptr, nullptr);
    const auto fnEnum = [hKey](uint32_t nIndex, wchar_t* pszName, uint32_t& cchName, uint32_t& dwType,
                               uint8_t* pbData, uint32_t& cbData) {
        DWORD cch = cchName, dwRegType = 0, cb = cbData;
        const LONG lResult = RegEnumValueW(hKey, nIndex, pszName, &cch, nullptr, &dwRegType, pbData, &cb);
        cchName = cch;
        dwType = dwRegType;
        cbData = cb;
        return static_cast<uint32_t>(lResult);
    };
    return EnumValues(fnEnum, dwMaxName, dwMaxData, fnOnValue);
}

bool ShellOpen(const WString& strTarget)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.lpVerb = L"open";
    info.lpFile = strTarget.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

WString GetModulePath()
{
    // Grows past MAX_PATH rather than cutting a long path.
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return WString();
        if (n < buf.size() || buf.size() >= 32768)
            return WString(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

WString GetModuleFolder()
{
    WString strPath = GetModulePath();
    std::vector<wchar_t> buf(strPath.begin(), strPath.end());
    buf.resize(buf.size() + 2, L'\0');  // room for the backslash and the terminator
    PathRemoveFileSpecW(buf.data());
    PathAddBackslashW(buf.data());
    return buf.data();
}

WString GetSkinFolder()
{
    return GetModuleFolder() + L"skin\\";
}

DWORD GetAppDataFolder(WString& strFolder)
{
    strFolder.clear();
    wchar_t szPath[MAX_PATH] = {};
    const HRESULT hr =
        SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szPath);
    if (FAILED(hr))
        return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_PATH_NOT_FOUND;
    const WString strPath = WString(szPath) + L"\\Zandu SMS";
    if (!CreateDirectoryW(strPath.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return GetLastError();
    strFolder = strPath + L"\\";
    return ERROR_SUCCESS;
}

WString GetVersionText()
{
    const WString strPath = GetModulePath();
    DWORD dwHandle = 0;
    const DWORD dwSize = GetFileVersionInfoSizeW(strPath.c_str(), &dwHandle);
    if (dwSize == 0)
        return WString();
    std::vector<BYTE> info(dwSize);
    VS_FIXEDFILEINFO* pFixed = nullptr;
    UINT nLen = 0;
    if (!GetFileVersionInfoW(strPath.c_str(), 0, dwSize, info.data()) ||
        !VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&pFixed), &nLen) || !pFixed)
        return WString();
    wchar_t szText[64];
    wsprintfW(szText, L"%u.%u.%u", HIWORD(pFixed->dwFileVersionMS), LOWORD(pFixed->dwFileVersionMS),
              HIWORD(pFixed->dwFileVersionLS));
    return szText;
}

WString GetWindowClass(HWND hWnd)
{
    wchar_t szClass[256] = {};
    GetClassNameW(hWnd, szClass, 256);
    return szClass;
}

WString GetSystemErrorText(DWORD dwError)
{
    wchar_t szText[1024] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), szText, 1024, nullptr);
    return szText;
}

WString FormatDateOrTime(PfnFormatTime pfnFormat, DWORD dwFlags, const SYSTEMTIME* pTime)
{
    const int n = pfnFormat(LOCALE_USER_DEFAULT, dwFlags, pTime, nullptr, nullptr, 0);
    if (n <= 0)
        return WString();
    std::vector<wchar_t> buf(static_cast<size_t>(n));
    return pfnFormat(LOCALE_USER_DEFAULT, dwFlags, pTime, nullptr, buf.data(), n) > 0 ? WString(buf.data())
                                                                                     : WString();
}

namespace {

bool FormatNow(PfnFormatTime pfnFormat, WString& strOut)
{
    strOut = FormatDateOrTime(pfnFormat, LOCALE_NOUSEROVERRIDE, nullptr);
    return !strOut.empty();
}

} // namespace

bool GetDateText(WString& strDate)
{
    return FormatNow(GetDateFormatW, strDate);
}

bool GetTimeText(WString& strTime)
{
    return FormatNow(GetTimeFormatW, strTime);
}

WString GetRecordTimeText()
{
    WString strDate, strTime;
    return GetDateText(strDate) && GetTimeText(strTime) ? strDate + WSTR(" ") + strTime : WString();
}

WChar GetListSeparator()
{
    wchar_t szList[8] = {}, szDecimal[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SLIST, szList, 8) == 2 && (szList[0] == L',' || szList[0] == L';'))
        return static_cast<WChar>(szList[0]);
    const bool bDecimalComma = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, szDecimal, 8) > 0 &&
                               szDecimal[0] == L',';
    return bDecimalComma ? WChar(';') : WChar(',');
}
