#include "serial/SerialSession.h"

#include "base/Trace.h"

namespace {

const wchar_t kWindowClass[] = L"ZanduSmsSession";

ULONGLONG Now()
{
    return GetTickCount64();
}

DWORD Remaining(ULONGLONG ullEnd)
{
    const ULONGLONG ullNow = Now();
    return ullNow >= ullEnd ? 0 : static_cast<DWORD>(ullEnd - ullNow);
}

} // namespace

CSerialSession::CSerialSession() : m_hWnd(nullptr), m_com(&m_port), m_pHandler(nullptr) {}

CSerialSession::~CSerialSession()
{
    m_com.Stop();
    m_ui.Discard();
    if (m_hWnd)
        DestroyWindow(m_hWnd);
}

bool CSerialSession::Start()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &CSerialSession::WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    m_hWnd = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!m_hWnd)
        return false;
    SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_ui.Attach(m_hWnd);
    return m_com.Start(
        &m_ui, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
            OnAnnouncement(std::move(pOp), std::move(pError));
        },
        THREAD_PRIORITY_NORMAL);
}

// To the handler while Run loops; kept for Wait otherwise.
void CSerialSession::OnAnnouncement(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
{
    if (m_pHandler) {
        CALL_CATCHING(m_pHandler->OnOperationComplete(std::move(pOp), std::move(pError)));
        return;
    }
    CAnnouncement ann;
    ann.pOp = std::move(pOp);
    ann.pError = std::move(pError);
    ann.ullTick = Now();
    m_kept.push_back(std::move(ann));
}

LRESULT CALLBACK CSerialSession::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CSerialSession* pThis = reinterpret_cast<CSerialSession*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (pThis && uMsg == CUiQueue::GetMessageId()) {
        CALL_CATCHING(pThis->m_ui.Drain());
        return 0;
    }
    if (pThis && uMsg == WM_TIMER && pThis->m_pHandler) {
        CALL_CATCHING(pThis->m_pHandler->OnTimer(wParam));
        return 0;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

void CSerialSession::PumpOnce(DWORD dwMs)
{
    MSG msg;
    bool bAny = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        bAny = true;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!bAny && dwMs)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, dwMs, QS_ALLINPUT);
}

bool CSerialSession::Wait(DWORD dwTimeoutMs, CAnnouncement& ann)
{
    const ULONGLONG ullEnd = Now() + dwTimeoutMs;
    for (;;) {
        if (!m_kept.empty()) {
            ann = std::move(m_kept.front());
            m_kept.pop_front();
            return true;
        }
        const DWORD dwLeft = Remaining(ullEnd);
        PumpOnce(dwLeft);
        if (dwLeft == 0 && m_kept.empty())
            return false;
    }
}

void CSerialSession::Pump(DWORD dwMs)
{
    const ULONGLONG ullEnd = Now() + dwMs;
    DWORD dwLeft;
    do {
        dwLeft = Remaining(ullEnd);
        PumpOnce(dwLeft);
    } while (dwLeft > 0);
}

bool CSerialSession::Run(CSessionHandler& handler, const std::function<bool()>& fnDone, DWORD dwTimeoutMs)
{
    const ULONGLONG ullEnd = Now() + dwTimeoutMs;
    m_pHandler = &handler;
    while (!m_kept.empty() && !fnDone()) {
        CAnnouncement ann = std::move(m_kept.front());
        m_kept.pop_front();
        handler.OnOperationComplete(std::move(ann.pOp), std::move(ann.pError));
    }
    bool bDone = fnDone();
    while (!bDone) {
        const DWORD dwLeft = Remaining(ullEnd);
        if (dwLeft == 0)
            break;
        PumpOnce(dwLeft);
        bDone = fnDone();
    }
    m_pHandler = nullptr;
    return bDone;
}
