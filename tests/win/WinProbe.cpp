// winprobe: looks at and drives the windows of another process, for the
// system tests. Every command prints what it found on standard output (UTF-8)
// and exits with 0, or 1 when the window or item does not exist (or did not
// appear in time), 2 on a bad command line.
//
//   winprobe wait <process> <title|*> <class|*> <timeout ms>  a top-level window -> hwnd
//   winprobe list <process>             top-level windows: hwnd visible class title
//   winprobe tips <process>             the tips of the process's tooltips, one a line
// where <process> is a process id or the file name of its executable.
//   winprobe text <hwnd> [item id]      window text of the window or of its dialog item
//   winprobe click <hwnd> <item id>     BM_CLICK on a dialog item (posted, and taken: see Settle)
//   winprobe key <hwnd> <virtual key>   key press posted to the focused window of hwnd's thread
//   winprobe close <hwnd>               WM_CLOSE (posted)
//   winprobe rect <hwnd> [item id]      window rectangle: left top width height
//   winprobe sel <hwnd> [item id]       edit selection of a combo box: start end
//   winprobe children <hwnd>            id class left top width height visible text (client coordinates)
//   winprobe layout <module> <dialog id>  creates the dialog hidden, prints "dialog W H" and its children
//   winprobe items <hwnd> <item id>     a combo box: "sel=<index>", then its items, one per line
//   winprobe state <hwnd> <item id>     "enabled=<0|1> checked=<BM_GETCHECK>"
//   winprobe replace <hwnd> <item id> <text>  an edit's whole text replaced as typed (EN_CHANGE follows)
//   winprobe settext <hwnd> <item id> <text>  WM_SETTEXT (an edit sends no EN_CHANGE for it)
//   winprobe focus <hwnd> <item id>     the dialog moves the focus to its item (WM_NEXTDLGCTL)
//   winprobe focused <hwnd>             the item id of hwnd's child that has (or holds) the focus in
//                                       hwnd's thread (a combo box for its edit field)
//   winprobe events <process> <prefix> <timeout ms>  hooks the name changes of the process's windows
//                                       (accessibility events): "hooked", then "<item id>\t<text>" per
//                                       event, until a text that begins with prefix (exit 0) or the time-out
//   winprobe syscolor <index> <RRGGBB>  SetSysColors (the change is announced to every window): the
//                                       colour before, as RRGGBB
//   winprobe open <hwnd> <item id> <title> <timeout ms>  clicks a dialog item and waits until a
//                                       window of that title of the same process is shown and answers
//                                       messages -> "<hwnd> <milliseconds from the click>"
//   winprobe shown <process> <title|*> <class|*> <timeout ms>  waits as open does for a window of
//                                       the process -> "<hwnd> <seconds>", the moment it answered
//   winprobe press <hwnd> <item id>     BM_CLICK posted -> "<seconds>", the moment it was posted
// Moments are the performance counter in seconds: under Wine, the host's
// monotonic clock, the one its debug channels' time stamps and a script's
// monotonic time read.
//   winprobe rows <hwnd> <item id> <max>  a list view: "count=<n> sel=<index>", then up to max rows,
//                                       their columns separated by tabs
//   winprobe hold <mutex name> <ms>     owns the named mutex for that long: "held" once it does
//   winprobe usage <process>            "handles=<n> gdi=<n> user=<n> working_set_kb=<n> private_kb=<n>"
//   winprobe responds <hwnd> <ms> <interval ms>  WM_NULL sent every interval for that long:
//                                       "samples=<n> worst_ms=<x> mean_ms=<y> over_100ms=<n> failed=<n>"
//   winprobe newshell <hwnd> <icon id>  what a shell that crashed and started again leaves: the
//                                       window's notification icon gone, and "TaskbarCreated" posted to it
//   winprobe serve                      runs the commands read from standard input, one a line, each a
//                                       JSON array of its arguments; after each one's output a line of
//                                       the character 04 and its exit code. One process for a whole test
//                                       saves the start of one under Wine (a good part of a second of a
//                                       core) per look at a window.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/WindowFinder.h"

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

std::vector<HWND> TopLevel(const wchar_t* pszProcess, const wchar_t* pszTitle = nullptr,
                           const wchar_t* pszClass = nullptr)
{
    test::CWindowQuery query;
    query.fnProcess = [pszProcess](DWORD dwPid) { return IsProcess(dwPid, pszProcess); };
    query.pszTitle = pszTitle;
    query.pszClass = pszClass;
    return test::FindTopLevelWindows(query);
}

void PrintChild(HWND hParent, HWND hChild)
{
    RECT rc;
    GetWindowRect(hChild, &rc);
    MapWindowPoints(nullptr, hParent, reinterpret_cast<POINT*>(&rc), 2);
    std::printf("%d\t%s\t%ld\t%ld\t%ld\t%ld\t%d\t%s\n", GetDlgCtrlID(hChild),
                Utf8(test::WindowClass(hChild)).c_str(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                IsWindowVisible(hChild) ? 1 : 0, OneLine(test::WindowText(hChild)).c_str());
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
    test::CWindowQuery query;
    query.fnProcess = [argv](DWORD dwPid) { return IsProcess(dwPid, argv[2]); };
    query.pszTitle = argv[3];
    query.pszClass = argv[4];
    const HWND hWnd = test::WaitForWindow(query, wcstoul(argv[5], nullptr, 10));
    if (!hWnd)
        return 1;
    std::printf("%llx\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hWnd)));
    return 0;
}

int List(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    for (HWND h : TopLevel(argv[2]))
        std::printf("%llx\t%d\t%s\t%s\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(h)),
                    IsWindowVisible(h) ? 1 : 0, Utf8(test::WindowClass(h)).c_str(),
                    OneLine(test::WindowText(h)).c_str());
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

// A list view's or a tooltip's messages carry pointers that are not
// marshalled to another process, so the structure and its text buffer are
// placed in the control's own process and read back from there.
class CRemoteMemory {
public:
    static const size_t kTextBytes = 8192;

    CRemoteMemory(HWND hControl, size_t nStructBytes) : m_hControl(hControl), m_nStructBytes(nStructBytes)
    {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hControl, &dwPid);
        m_hProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, dwPid);
        if (m_hProcess)
            m_pRemote = static_cast<BYTE*>(VirtualAllocEx(m_hProcess, nullptr, nStructBytes + kTextBytes,
                                                          MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    }
    ~CRemoteMemory()
    {
        if (m_pRemote)
            VirtualFreeEx(m_hProcess, m_pRemote, 0, MEM_RELEASE);
        if (m_hProcess)
            CloseHandle(m_hProcess);
    }
    bool IsValid() const { return m_pRemote != nullptr; }
    wchar_t* RemoteText() const { return reinterpret_cast<wchar_t*>(m_pRemote + m_nStructBytes); }

    // The structure (whose text pointer is RemoteText()) sent with the
    // message; the text the control wrote there.
    std::wstring Ask(UINT uMsg, WPARAM wParam, const void* pStruct) const
    {
        std::vector<wchar_t> buf(kTextBytes / sizeof(wchar_t) + 1, L'\0');
        if (!WriteProcessMemory(m_hProcess, m_pRemote, pStruct, m_nStructBytes, nullptr) ||
            !WriteProcessMemory(m_hProcess, RemoteText(), buf.data(), sizeof(wchar_t), nullptr))
            return std::wstring();
        SendMessageW(m_hControl, uMsg, wParam, reinterpret_cast<LPARAM>(m_pRemote));
        ReadProcessMemory(m_hProcess, RemoteText(), buf.data(), kTextBytes, nullptr);
        return buf.data();
    }

private:
    HWND m_hControl;
    size_t m_nStructBytes;
    HANDLE m_hProcess = nullptr;
    BYTE* m_pRemote = nullptr;
};

class CRemoteItem : public CRemoteMemory {
public:
    explicit CRemoteItem(HWND hList) : CRemoteMemory(hList, sizeof(LVITEMW)) {}

    std::wstring Text(int nRow, int nColumn) const
    {
        LVITEMW item = {};
        item.iSubItem = nColumn;
        item.pszText = RemoteText();
        item.cchTextMax = kTextBytes / sizeof(wchar_t);
        return Ask(LVM_GETITEMTEXTW, nRow, &item);
    }
};

// Every tip of the process's tooltip controls, one a line (under Wine the
// notification area's icons are the explorer's, each a tool of its tooltip).
int Tips(int argc, wchar_t** argv)
{
    if (argc != 3)
        return 2;
    for (HWND hTip : TopLevel(argv[2], nullptr, L"tooltips_class32")) {
        const CRemoteMemory remote(hTip, sizeof(TTTOOLINFOW));
        const int nTools = remote.IsValid() ? static_cast<int>(SendMessageW(hTip, TTM_GETTOOLCOUNT, 0, 0)) : 0;
        for (int i = 0; i < nTools; ++i) {
            TTTOOLINFOW info = {};
            info.cbSize = sizeof(info);
            info.lpszText = remote.RemoteText();
            std::printf("%s\n", OneLine(remote.Ask(TTM_ENUMTOOLSW, i, &info)).c_str());
        }
    }
    return 0;
}

// The events of one process, printed as they come, until one names a text
// that begins with the prefix.
struct CEventWatch {
    std::string strPrefix;
    bool bSeen = false;
} g_watch;

void CALLBACK OnNameChange(HWINEVENTHOOK, DWORD, HWND hWnd, LONG idObject, LONG, DWORD, DWORD)
{
    if (idObject != OBJID_CLIENT || !hWnd)
        return;
    const std::string strText = OneLine(test::WindowText(hWnd));
    std::printf("%d\t%s\n", GetDlgCtrlID(hWnd), strText.c_str());
    std::fflush(stdout);
    g_watch.bSeen = g_watch.bSeen || strText.compare(0, g_watch.strPrefix.size(), g_watch.strPrefix) == 0;
}

int Events(const wchar_t* pszProcess, const wchar_t* pszPrefix, DWORD dwTimeout);

double Seconds()
{
    LARGE_INTEGER liFreq, liNow;
    QueryPerformanceFrequency(&liFreq);
    QueryPerformanceCounter(&liNow);
    return static_cast<double>(liNow.QuadPart) / static_cast<double>(liFreq.QuadPart);
}

// A visible top-level window of the process whose thread, done with its
// initialisation, answers a message; nullptr when none came in time.
HWND WaitShown(const wchar_t* pszProcess, const wchar_t* pszTitle, const wchar_t* pszClass, DWORD dwTimeout)
{
    HWND hShown = nullptr;
    const auto answers = [&] {
        for (HWND h : TopLevel(pszProcess, pszTitle, pszClass)) {
            DWORD_PTR dwResult = 0;
            if (IsWindowVisible(h) && SendMessageTimeoutW(h, WM_NULL, 0, 0, SMTO_BLOCK, dwTimeout, &dwResult)) {
                hShown = h;
                return true;
            }
        }
        return false;
    };
    test::WaitUntil(answers, dwTimeout, 1);  // polled every millisecond: the moment is the figure
    return hShown;
}

// Times a window's opening from inside one probe process, so that the figure
// holds no process start: from the click until the new window is shown.
int Open(int argc, wchar_t** argv)
{
    if (argc != 6)
        return 2;
    HWND hItem = Target(argc, argv, 3);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hItem, &dwPid);
    wchar_t szPid[16];
    swprintf(szPid, 16, L"%lu", dwPid);
    const double dStart = Seconds();
    if (!hItem || !PostMessageW(hItem, BM_CLICK, 0, 0))
        return 1;
    const HWND hShown = WaitShown(szPid, argv[4], nullptr, wcstoul(argv[5], nullptr, 10));
    if (!hShown)
        return 1;
    std::printf("%llx\t%.1f\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hShown)),
                1000.0 * (Seconds() - dStart));
    return 0;
}

int Shown(int argc, wchar_t** argv)
{
    if (argc != 6)
        return 2;
    const HWND hShown = WaitShown(argv[2], argv[3], argv[4], wcstoul(argv[5], nullptr, 10));
    if (!hShown)
        return 1;
    std::printf("%llx\t%.4f\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(hShown)), Seconds());
    return 0;
}

int Rows(int argc, wchar_t** argv)
{
    if (argc != 5)
        return 2;
    HWND hList = Target(argc, argv, 3);
    const CRemoteItem remote(hList);
    if (!hList || !remote.IsValid())
        return 1;
    const int nCount = static_cast<int>(SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    const int nSel = static_cast<int>(SendMessageW(hList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    const HWND hHeader = reinterpret_cast<HWND>(SendMessageW(hList, LVM_GETHEADER, 0, 0));
    const int nColumns = static_cast<int>(SendMessageW(hHeader, HDM_GETITEMCOUNT, 0, 0));
    std::printf("count=%d sel=%d\n", nCount, nSel);
    const int nMax = _wtoi(argv[4]);
    for (int nRow = 0; nRow < nCount && nRow < nMax; ++nRow) {
        std::string strRow;
        for (int nColumn = 0; nColumn < nColumns; ++nColumn)
            strRow += (nColumn ? "\t" : "") + OneLine(remote.Text(nRow, nColumn));
        std::printf("%s\n", strRow.c_str());
    }
    return 0;
}

} // namespace

DWORD FindProcess(const wchar_t* pszProcess)
{
    DWORD dwFound = 0;
    HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore && !dwFound; bMore = Process32NextW(hSnapshot, &entry)) {
        if (IsProcess(entry.th32ProcessID, pszProcess))
            dwFound = entry.th32ProcessID;
    }
    CloseHandle(hSnapshot);
    return dwFound;
}

namespace {

// Out of context: the events come as messages to this thread.
int Events(const wchar_t* pszProcess, const wchar_t* pszPrefix, DWORD dwTimeout)
{
    const DWORD dwPid = iswdigit(pszProcess[0]) ? wcstoul(pszProcess, nullptr, 10) : FindProcess(pszProcess);
    if (!dwPid)
        return 1;
    g_watch.strPrefix = Utf8(pszPrefix);
    const HWINEVENTHOOK hHook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnNameChange,
                                                dwPid, 0, WINEVENT_OUTOFCONTEXT);
    if (!hHook)
        return 1;
    std::printf("hooked\n");
    std::fflush(stdout);
    const ULONGLONG ullEnd = GetTickCount64() + dwTimeout;
    while (!g_watch.bSeen && GetTickCount64() < ullEnd) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    UnhookWinEvent(hHook);
    return g_watch.bSeen ? 0 : 1;
}

} // namespace

// What a process holds, to see whether it leaks over a long run.
int Usage(const wchar_t* pszProcess)
{
    const DWORD dwPid = FindProcess(pszProcess);
    HANDLE hProcess = dwPid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwPid) : nullptr;
    if (!hProcess)
        return 1;
    DWORD dwHandles = 0;
    GetProcessHandleCount(hProcess, &dwHandles);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    std::printf("handles=%lu gdi=%lu user=%lu working_set_kb=%lu private_kb=%lu\n", dwHandles,
                GetGuiResources(hProcess, GR_GDIOBJECTS), GetGuiResources(hProcess, GR_USEROBJECTS),
                static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long>(memory.PrivateUsage / 1024));
    CloseHandle(hProcess);
    return 0;
}

// How fast the window's thread answers, as a caller waiting on it sees it.
int Responds(HWND hWnd, DWORD dwMs, DWORD dwInterval)
{
    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    unsigned nSamples = 0, nOver = 0, nFailed = 0;
    double dWorst = 0, dSum = 0;
    for (now = start; (now.QuadPart - start.QuadPart) * 1000 / freq.QuadPart < dwMs; QueryPerformanceCounter(&now)) {
        LARGE_INTEGER before, after;
        DWORD_PTR nResult = 0;
        QueryPerformanceCounter(&before);
        const bool bAnswered = SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &nResult) != 0;
        QueryPerformanceCounter(&after);
        const double dMs = static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
        if (!bAnswered) {
            if (!IsWindow(hWnd))
                break;
            ++nFailed;
        }
        ++nSamples;
        dSum += dMs;
        dWorst = dMs > dWorst ? dMs : dWorst;
        nOver += dMs > 100.0;
        Sleep(dwInterval);
    }
    std::printf("samples=%u worst_ms=%.1f mean_ms=%.2f over_100ms=%u failed=%u\n", nSamples, dWorst,
                nSamples ? dSum / nSamples : 0.0, nOver, nFailed);
    return 0;
}

namespace {

// Returns once the window's thread has most likely taken what was posted to
// it before: a message sent is handled when the thread next asks for a
// message, ahead of the posted ones, so the second of two is handled after
// the thread has come back from what the first let it take, unless it takes
// sent messages while it handles the posted one (under Wine, a change of
// the active window may). Commands that follow then find the click's or the
// key's effect, as a user's next action would; a test that must be sure
// waits for the effect itself.
bool Settle(HWND hWnd)
{
    DWORD_PTR nResult = 0;
    for (int i = 0; i < 2; ++i)
        SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &nResult);
    return true;
}

int Run(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    const std::wstring strCommand = argv[1];
    if (strCommand == L"wait")
        return Wait(argc, argv);
    if (strCommand == L"list")
        return List(argc, argv);
    if (strCommand == L"tips")
        return Tips(argc, argv);
    if (strCommand == L"layout")
        return Layout(argc, argv);
    if (strCommand == L"rows")
        return Rows(argc, argv);
    if (strCommand == L"open")
        return Open(argc, argv);
    if (strCommand == L"shown")
        return Shown(argc, argv);
    if (strCommand == L"text") {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        std::printf("%s\n", OneLine(test::WindowText(hWnd)).c_str());
        return 0;
    }
    if (strCommand == L"click" && argc == 4) {
        HWND hWnd = Target(argc, argv, 3);
        return hWnd && PostMessageW(hWnd, BM_CLICK, 0, 0) && Settle(hWnd) ? 0 : 1;
    }
    if (strCommand == L"press" && argc == 4) {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd || !PostMessageW(hWnd, BM_CLICK, 0, 0))
            return 1;
        std::printf("%.4f\n", Seconds());
        return 0;
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
        return PostMessageW(hWnd, WM_KEYDOWN, vk, 1) && PostMessageW(hWnd, WM_KEYUP, vk, 0xC0000001) && Settle(hWnd)
                   ? 0
                   : 1;
    }
    if (strCommand == L"close") {
        HWND hWnd = Target(argc, argv, 3);
        return hWnd && PostMessageW(hWnd, WM_CLOSE, 0, 0) && Settle(hWnd) ? 0 : 1;
    }
    if (strCommand == L"rect") {
        HWND hWnd = Target(argc, argv, 3);
        RECT rc;
        if (!hWnd || !GetWindowRect(hWnd, &rc))
            return 1;
        std::printf("%ld\t%ld\t%ld\t%ld\n", rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        return 0;
    }
    if (strCommand == L"items" && argc == 4) {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        std::printf("sel=%d\n", static_cast<int>(SendMessageW(hWnd, CB_GETCURSEL, 0, 0)));
        const int nCount = static_cast<int>(SendMessageW(hWnd, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < nCount; ++i) {
            std::vector<wchar_t> buf(SendMessageW(hWnd, CB_GETLBTEXTLEN, i, 0) + 1, L'\0');
            SendMessageW(hWnd, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf.data()));
            std::printf("%s\n", OneLine(buf.data()).c_str());
        }
        return 0;
    }
    if (strCommand == L"state" && argc == 4) {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        std::printf("enabled=%d checked=%d\n", IsWindowEnabled(hWnd) ? 1 : 0,
                    static_cast<int>(SendMessageW(hWnd, BM_GETCHECK, 0, 0)));
        return 0;
    }
    if (strCommand == L"replace" && argc == 5) {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        SendMessageW(hWnd, EM_SETSEL, 0, -1);
        SendMessageW(hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(argv[4]));
        return 0;
    }
    if (strCommand == L"settext" && argc == 5) {
        HWND hWnd = Target(argc, argv, 3);
        DWORD_PTR nResult = 0;
        return hWnd && SendMessageTimeoutW(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]), SMTO_ABORTIFHUNG,
                                           5000, &nResult)
                   ? 0
                   : 1;
    }
    if (strCommand == L"focus" && argc == 4) {
        HWND hDialog = Target(argc, argv, 99);
        HWND hItem = Target(argc, argv, 3);
        DWORD_PTR nResult = 0;
        return hDialog && hItem && SendMessageTimeoutW(hDialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hItem), TRUE,
                                                       SMTO_ABORTIFHUNG, 5000, &nResult)
                   ? 0
                   : 1;
    }
    if (strCommand == L"focused" && argc == 3) {
        HWND hWnd = Target(argc, argv, 3);
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        if (!hWnd || !GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, nullptr), &info) || !info.hwndFocus)
            return 1;
        HWND hItem = info.hwndFocus;
        while (GetAncestor(hItem, GA_PARENT) && GetAncestor(hItem, GA_PARENT) != hWnd && IsChild(hWnd, hItem))
            hItem = GetAncestor(hItem, GA_PARENT);
        std::printf("%d\n", GetDlgCtrlID(hItem));
        return 0;
    }
    if (strCommand == L"events" && argc == 5)
        return Events(argv[2], argv[3], wcstoul(argv[4], nullptr, 10));
    if (strCommand == L"syscolor" && argc == 4) {
        const int nIndex = _wtoi(argv[2]);
        const unsigned long rgb = wcstoul(argv[3], nullptr, 16);
        const COLORREF before = GetSysColor(nIndex);
        const COLORREF color = RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        if (!SetSysColors(1, &nIndex, &color))
            return 1;
        std::printf("%02X%02X%02X\n", GetRValue(before), GetGValue(before), GetBValue(before));
        return 0;
    }
    if (strCommand == L"sel") {
        // The packed result, not the pointer form: pointers into this
        // process mean nothing to the target.
        HWND hWnd = Target(argc, argv, 3);
        DWORD_PTR nSel = 0;
        if (!hWnd || !SendMessageTimeoutW(hWnd, CB_GETEDITSEL, 0, 0, SMTO_ABORTIFHUNG, 10000, &nSel) ||
            static_cast<LRESULT>(nSel) == CB_ERR)
            return 1;
        std::printf("%u\t%u\n", LOWORD(nSel), HIWORD(nSel));
        return 0;
    }
    if (strCommand == L"hold" && argc == 4) {
        const HANDLE hMutex = CreateMutexW(nullptr, FALSE, argv[2]);
        if (!hMutex || WaitForSingleObject(hMutex, 10000) != WAIT_OBJECT_0)
            return 1;
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(static_cast<DWORD>(_wtoi(argv[3])));
        ReleaseMutex(hMutex);
        CloseHandle(hMutex);
        return 0;
    }
    if (strCommand == L"newshell" && argc == 4) {
        NOTIFYICONDATAW data = {};
        data.cbSize = sizeof(data);
        data.hWnd = ParseHwnd(argv[2]);
        data.uID = wcstoul(argv[3], nullptr, 10);
        return Shell_NotifyIconW(NIM_DELETE, &data) &&
                       PostMessageW(data.hWnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0)
                   ? 0
                   : 1;
    }
    if (strCommand == L"usage")
        return Usage(argv[2]);
    if (strCommand == L"responds" && argc == 5)
        return Responds(ParseHwnd(argv[2]), wcstoul(argv[3], nullptr, 10), wcstoul(argv[4], nullptr, 10));
    if (strCommand == L"children") {
        HWND hWnd = Target(argc, argv, 3);
        if (!hWnd)
            return 1;
        PrintChildren(hWnd);
        return 0;
    }
    return 2;
}

std::wstring Wide(const std::string& str)
{
    std::wstring out(str.size(), L'\0');
    out.resize(MultiByteToWideChar(CP_UTF8, 0, str.data(), static_cast<int>(str.size()), &out[0],
                                   static_cast<int>(out.size())));
    return out;
}

int Serve()
{
    std::string strLine;
    char buf[4096];
    while (std::fgets(buf, sizeof(buf), stdin)) {
        strLine += buf;
        if (strLine.back() != '\n')
            continue;
        std::vector<std::wstring> args = {L"winprobe"};
        try {
            for (const nlohmann::json& arg : nlohmann::json::parse(strLine))
                args.push_back(Wide(arg.get<std::string>()));
        } catch (const nlohmann::json::exception&) {
            args.resize(1);
        }
        strLine.clear();
        std::vector<wchar_t*> argv;
        for (std::wstring& arg : args)
            argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        std::printf("\x04%d\n", Run(static_cast<int>(args.size()), argv.data()));
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (argc == 2 && std::wstring(argv[1]) == L"serve")
        return Serve();
    return Run(argc, argv);
}
