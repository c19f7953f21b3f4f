// winprobe: looks at and drives the windows of another process, for the
// system tests. Every command prints what it found on standard output (UTF-8)
// and exits with 0, or 1 when the window or item does not exist (or did not
// appear in time), 2 on a bad command line.
//
//   winprobe wait <process> <title|*> <class|*> <timeout ms>  a top-level window -> hwnd
//   winprobe list <process>             top-level windows: hwnd visible class title
// where <process> is a process id or the file name of its executable.
//   winprobe text <hwnd> [item id]      window text of the window or of its dialog item
//   winprobe click <hwnd> <item id>     BM_CLICK on a dialog item (posted)
//   winprobe key <hwnd> <virtual key>   key press posted to the focused window of hwnd's thread
//   winprobe close <hwnd>               WM_CLOSE (posted)
//   winprobe rect <hwnd> [item id]      window rectangle: left top width height
//   winprobe sel <hwnd> [item id]       edit selection of a combo box: start end
//   winprobe children <hwnd>            id class left top width height visible text (client coordinates)
//   winprobe layout <module> <dialog id>  creates the dialog hidden, prints "dialog W H" and its children
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& str)
{
    if (str.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, str.c_str(), static_cast<int>(str.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// Texts are printed on one line: CR, LF and tab are escaped.
std::string OneLine(const std::wstring& str)
{
    std::string out;
    for (char ch : Utf8(str)) {
        if (ch == '\r')
            out += "\\r";
        else if (ch == '\n')
            out += "\\n";
        else if (ch == '\t')
            out += "\\t";
        else
            out += ch;
    }
    return out;
}

std::wstring TextOf(HWND hWnd)
{
    // WM_GETTEXT reaches windows of other processes; GetWindowText may not.
    DWORD_PTR nLen = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &nLen))
        return std::wstring();
    std::vector<wchar_t> buf(nLen + 1, L'\0');
    DWORD_PTR nGot = 0;
    SendMessageTimeoutW(hWnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                        &nGot);
    return buf.data();
}

std::wstring ClassOf(HWND hWnd)
{
    wchar_t sz[256] = {};
    GetClassNameW(hWnd, sz, 256);
    return sz;
}

HWND ParseHwnd(const wchar_t* psz)
{
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(psz, nullptr, 16)));
}

// A process id, or the file name of the executable (any process running it).
bool IsProcess(DWORD dwPid, const wchar_t* pszProcess)
{
    if (iswdigit(pszProcess[0]))
        return dwPid == wcstoul(pszProcess, nullptr, 10);
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwPid);
    if (!hProcess)
        return false;
    wchar_t szPath[MAX_PATH * 2] = {};
    DWORD cch = MAX_PATH * 2;
    const BOOL bOk = QueryFullProcessImageNameW(hProcess, 0, szPath, &cch);
    CloseHandle(hProcess);
    if (!bOk)
        return false;
    const wchar_t* pszName = wcsrchr(szPath, L'\\');
    return _wcsicmp(pszName ? pszName + 1 : szPath, pszProcess) == 0;
}

struct CFind {
    const wchar_t* pszProcess;
    const wchar_t* pszTitle;
    const wchar_t* pszClass;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hWnd, LPARAM lParam)
{
    CFind& find = *reinterpret_cast<CFind*>(lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hWnd, &dwPid);
    if (!IsProcess(dwPid, find.pszProcess))
        return TRUE;
    if (find.pszClass && wcscmp(find.pszClass, L"*") != 0 && _wcsicmp(ClassOf(hWnd).c_str(), find.pszClass) != 0)
        return TRUE;
    if (find.pszTitle && wcscmp(find.pszTitle, L"*") != 0 && TextOf(hWnd) != find.pszTitle)
        return TRUE;
    find.found.push_back(hWnd);
    return TRUE;
}

std::vector<HWND> TopLevel(const wchar_t* pszProcess, const wchar_t* pszTitle = nullptr,
                           const wchar_t* pszClass = nullptr)
{
    CFind find = {pszProcess, pszTitle, pszClass, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

void PrintChild(HWND hParent, HWND hChild)
{
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    std::printf("%d\t%s\t%ld\t%ld\t%ld\t%ld\t%d\t%s\n", GetDlgCtrlID(hChild), Utf8(ClassOf(hChild)).c_str(), rc.left,
                rc.top, rc.right - rc.left, rc.bottom - rc.top, IsWindowVisible(hChild) ? 1 : 0,
                OneLine(TextOf(hChild)).c_str());
}

void PrintChildren(HWND hParent)
{
    for (HWND h = GetWindow(hParent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        PrintChild(hParent, h);
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT uMsg, WPARAM, LPARAM)
{
    return uMsg == WM_INITDIALOG;
}

int Wait(int argc, wchar_t** argv)
{
    if (argc != 6)
        return 2;
    const DWORD dwTimeout = wcstoul(argv[5], nullptr, 10);
    const DWORD dwStart = GetTickCount();
    for (;;) {
        const std::vector<HWND> found = TopLevel(argv[2], argv[3], argv[4]);
        if (!found.empty()) {
            std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(found[0])));
            return 0;
        }
        if (GetTickCount() - dwStart > dwTimeout)
            return 1;
        Sleep(50);
    }
}

int List(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    for (HWND h : TopLevel(argv[2]))
        std::printf("%llx\t%d\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)),
                    IsWindowVisible(h) ? 1 : 0, Utf8(ClassOf(h)).c_str(), OneLine(TextOf(h)).c_str());
    return 0;
}

HWND Target(int argc, wchar_t** argv, int nItemArg)
{
    HWND hWnd = ParseHwnd(argv[2]);
    if (argc > nItemArg)
        hWnd = GetDlgItem(hWnd, _wtoi(argv[nItemArg]));
    return IsWindow(hWnd) ? hWnd : nullptr;
}

int Layout(int argc, wchar_t** argv)
{
    if (argc != 4)
        return 2;
    HMODULE hModule = LoadLibraryExW(argv[2], nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hModule)
        return 1;
    HWND hDlg = CreateDialogParamW(hModule, MAKEINTRESOURCEW(_wtoi(argv[3])), nullptr, QuietDialogProc, 0);
    if (!hDlg)
        return 1;
    RECT rc;
    GetWindowRect(hDlg, &rc);
    std::printf("dialog\t%ld\t%ld\n", rc.right - rc.left, rc.bottom - rc.top);
    PrintChildren(hDlg);
    DestroyWindow(hDlg);
    FreeLibrary(hModule);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (argc < 3)
        return 2;
    const std::wstring strCommand = argv[1];
    if (strCommand == L"wait")
        return Wait(argc, argv);
    if (strCommand == L"list")
        return List(argc, argv);
    if (strCommand == L"layout")
        return Layout(argc, argv);
    if (strCommand == L"text") {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        std::printf("%s\n", OneLine(TextOf(hWnd)).c_str());
        return 0;
    }
    if (strCommand == L"click" && argc == 4) {
        HWND hWnd = Target(argc, argv, 3);
        return hWnd && PostMessageW(hWnd, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (strCommand == L"key" && argc == 4) {
        HWND hWnd = Target(argc, argv, 4);
        if (!hWnd)
            return 1;
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, nullptr), &info) && info.hwndFocus)
            hWnd = info.hwndFocus;
        const WPARAM vk = wcstoul(argv[3], nullptr, 0);
        return PostMessageW(hWnd, WM_KEYDOWN, vk, 1) && PostMessageW(hWnd, WM_KEYUP, vk, 0xC0000001) ? 0 : 1;
    }
    if (strCommand == L"close") {
        HWND hWnd = Target(argc, argv, 3);
        return hWnd && PostMessageW(hWnd, WM_CLOSE, 0, 0) ? 0 : 1;
    }
    if (strCommand == L"rect") {
        HWND hWnd = Target(argc, argv, 3);
        RECT rc;
        if (!hWnd || !GetWindowRect(hWnd, &rc))
            return 1;
        std::printf("%ld\t%ld\t%ld\t%ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        return 0;
    }
    if (strCommand == L"sel") {
        // The packed result, not the pointer form: pointers into this
        // process mean nothing to the target.
        HWND hWnd = Target(argc, argv, 3);
        DWORD_PTR nSel = 0;
        if (!hWnd || !SendMessageTimeoutW(hWnd, CB_GETEDITSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &nSel) ||
            static_cast<LRESULT>(nSel) == CB_ERR)
            return 1;
        std::printf("%u\t%u\n", LOWORD(nSel), HIWORD(nSel));
        return 0;
    }
    if (strCommand == L"children") {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        PrintChildren(hWnd);
        return 0;
    }
    return 2;
}
