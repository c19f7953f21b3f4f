// Finding a program's top-level windows and reading their texts, for the
// test programs that look at windows: winprobe (another process) and the
// start-up tests (their own process). Windows only.
#pragma once

#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace test {

// A window's text by WM_GETTEXT, which reaches windows of other processes
// too. A window whose thread is busy (a loaded machine) is asked again until
// dwLimitMs have passed; an answering window costs no wait at all.
inline std::wstring WindowText(HWND hWnd, DWORD dwLimitMs = 20000)
{
    const DWORD kTryMs = 5000;
    const DWORD dwStart = GetTickCount();
    for (;;) {
        DWORD_PTR nLen = 0;
        if (SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTryMs, &nLen)) {
            std::vector<wchar_t> buf(nLen + 1, L'\0');
            DWORD_PTR nGot = 0;
            if (SendMessageTimeoutW(hWnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                                    SMTO_ABORTIFHUNG, kTryMs, &nGot))
                return buf.data();
        }
        if (!IsWindow(hWnd) || GetTickCount() - dwStart >= dwLimitMs)
            return std::wstring();
        Sleep(100);
    }
}

inline std::wstring WindowClass(HWND hWnd)
{
    wchar_t sz[256] = {};
    GetClassNameW(hWnd, sz, 256);
    return sz;
}

// What a top-level window must be; null or "*" matches anything.
struct CWindowQuery {
    std::function<bool(DWORD dwPid)> fnProcess;
    const wchar_t* pszTitle = nullptr;
    const wchar_t* pszClass = nullptr;
    bool bVisibleOnly = false;
};

inline bool Matches(const wchar_t* pszWanted, const std::wstring& strHave, bool bIgnoreCase)
{
    if (!pszWanted || std::wcscmp(pszWanted, L"*") == 0)
        return true;
    return bIgnoreCase ? _wcsicmp(strHave.c_str(), pszWanted) == 0 : strHave == pszWanted;
}

// The top-level windows that match, in the order of EnumWindows (topmost first).
inline std::vector<HWND> FindTopLevelWindows(const CWindowQuery& query)
{
    struct CSearch {
        const CWindowQuery& query;
        std::vector<HWND> found;
    } search{query, {}};
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            CSearch& s = *reinterpret_cast<CSearch*>(lParam);
            DWORD dwPid = 0;
            GetWindowThreadProcessId(hWnd, &dwPid);
            if (s.query.fnProcess && !s.query.fnProcess(dwPid))
                return TRUE;
            if (s.query.bVisibleOnly && !IsWindowVisible(hWnd))
                return TRUE;
            if (Matches(s.query.pszClass, WindowClass(hWnd), true) &&
                Matches(s.query.pszTitle, WindowText(hWnd), false))
                s.found.push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls until a matching window exists; null after dwTimeoutMs.
inline HWND WaitForWindow(const CWindowQuery& query, DWORD dwTimeoutMs)
{
    const DWORD dwStart = GetTickCount();
    for (;;) {
        const std::vector<HWND> found = FindTopLevelWindows(query);
        if (!found.empty())
            return found[0];
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return nullptr;
        Sleep(50);
    }
}

} // namespace test
