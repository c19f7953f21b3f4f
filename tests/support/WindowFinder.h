// Finding a program's top-level windows, reading their texts and waiting
// for them, for the test programs that look at windows: winprobe (another
// process) and the window tests (their own process). Windows only.
#pragma once

#include <windows.h>

#include <cwchar>
#include <functional>
#include <string>
#include <vector>

namespace test {

// The one wait of the window tests: asks fnDone every dwPollMs until it says
// yes or dwLimitMs have passed; its last answer.
inline bool WaitUntil(const std::function<bool()>& fnDone, DWORD dwLimitMs, DWORD dwPollMs)
{
    const DWORD dwStart = GetTickCount();
    for (;;) {
        if (fnDone())
            return true;
        if (GetTickCount() - dwStart >= dwLimitMs)
            return false;
        Sleep(dwPollMs);
    }
}

// One read of a window's text, waiting at most dwTryMs for its thread.
inline bool ReadWindowText(HWND hWnd, DWORD dwTryMs, std::wstring& strText)
{
    DWORD_PTR nLen = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, dwTryMs, &nLen))
        return false;
    std::vector<wchar_t> buf(nLen + 1, L'\0');
    DWORD_PTR nGot = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG,
                             dwTryMs, &nGot))
        return false;
    strText = buf.data();
    return true;
}

// The one text reader of the window tests: a window's text by WM_GETTEXT,
// which reaches windows of other processes too. A window whose thread is
// busy (a loaded machine) is asked again until dwLimitMs have passed; an
// answering window costs no wait at all. Empty when the window is gone.
inline std::wstring WindowText(HWND hWnd, DWORD dwLimitMs = 20000)
{
    const DWORD kTryMs = 5000;
    std::wstring strText;
    WaitUntil([&] { return ReadWindowText(hWnd, kTryMs, strText) || !IsWindow(hWnd); }, dwLimitMs, 100);
    return strText;
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
    HWND hFound = nullptr;
    WaitUntil(
        [&] {
            const std::vector<HWND> found = FindTopLevelWindows(query);
            hFound = found.empty() ? nullptr : found[0];
            return hFound != nullptr;
        },
        dwTimeoutMs, 50);
    return hFound;
}

} // namespace test
