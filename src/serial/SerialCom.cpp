#include "serial/SerialCom.h"

#include <cstring>

#include "base/Trace.h"
#include "base/Util.h"

CSerialCom::CSerialCom(CSerialPortAsync* pPort, const HWND* phWndNotify)
    : m_pPort(pPort), m_phWndNotify(phWndNotify)
{
    InitializeCriticalSection(&m_csOps);
    m_hStop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hStopped = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hQueued = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_hCancel = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CSerialCom::~CSerialCom()
{
    if (m_hThread)
        Stop();
    for (CSerialOp* pOp : m_lstOps)
        delete pOp;
    CloseHandle(m_hStop);
    CloseHandle(m_hStopped);
    CloseHandle(m_hQueued);
    CloseHandle(m_hCancel);
    DeleteCriticalSection(&m_csOps);
}

void CSerialCom::Enqueue(CSerialOp* pOp)
{
    EnterCriticalSection(&m_csOps);
    m_lstOps.push_back(pOp);
    SetEvent(m_hQueued);
    LeaveCriticalSection(&m_csOps);
}

void CSerialCom::CancelAll()
{
    EnterCriticalSection(&m_csOps);
    for (CSerialOp* pOp : m_lstOps)
        delete pOp;
    m_lstOps.clear();
    SetEvent(m_hCancel);
    LeaveCriticalSection(&m_csOps);
}

void CSerialCom::Stop()
{
    SetEvent(m_hStop);
    if (!m_hThread)
        return;
    WaitForSingleObject(m_hStopped, INFINITE);
    // The thread still writes its active flag after Run; the object may be
    // destroyed only once the thread has ended.
    WaitForSingleObject(m_hThread, INFINITE);
}

// The cancel event is cleared under the queue's lock at the moment an
// operation is taken: a CancelAll before that has already discarded the
// operation, and one after it aborts exactly this operation. Clearing it
// anywhere else would let a cancel meant for nothing abort the next operation.
CSerialOp* CSerialCom::TakeNext()
{
    for (;;) {
        if (IsCanceled())
            return nullptr;
        EnterCriticalSection(&m_csOps);
        if (!m_lstOps.empty()) {
            CSerialOp* pOp = m_lstOps.front();
            m_lstOps.pop_front();
            ResetEvent(m_hCancel);
            LeaveCriticalSection(&m_csOps);
            return pOp;
        }
        ResetEvent(m_hQueued);
        LeaveCriticalSection(&m_csOps);
        WaitForEvents(false, INFINITE, m_hStop, m_hQueued);
    }
}

void CSerialCom::Run()
{
    while (CSerialOp* pOp = TakeNext()) {
        CSerialPortException* pError = nullptr;
        bool bAnnounce = true;
        try {
            bAnnounce = Perform(*pOp);
        } catch (const CSerialPortException& e) {
            pError = new CSerialPortException(e);
        }
        if (bAnnounce)
            Announce(pOp, pError);
        else
            delete pOp;
    }
    SetEvent(m_hStopped);
}

bool CSerialCom::Perform(CSerialOp& op)
{
    switch (op.m_nKind) {
    case OP_OPEN:
        TRACE_PAIR("Opening...\n");
        if (!m_pPort->IsOpen()) {
            m_pPort->Open(AnsiToWide(op.GetText()), kBaudRate);
            // A stop ends the pause early; the open is still announced.
            WaitForSingleObject(m_hStop, kOpenPauseMs);
        }
        return true;
    case OP_CLOSE:
        TRACE_PAIR("Closing...\n");
        m_pPort->Close();
        return true;
    case OP_ENUM_PORTS:
        TRACE_PAIR("Enumerating ports...\n");
        m_pPort->EnumeratePorts();
        return true;
    case OP_READ:
    case OP_WRITE:
        return Transfer(op);
    default:
        ZASSERT(!"unknown operation");
        return true;
    }
}

bool CSerialCom::Transfer(CSerialOp& op)
{
    // The event is closed however the transfer ends.
    struct CEvent {
        HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ~CEvent() { CloseHandle(h); }
    } ioEvent;
    if (!ioEvent.h)
        throw CSerialPortException(GetLastError());
    OVERLAPPED overlapped = {};
    overlapped.hEvent = ioEvent.h;

    if (op.m_nKind == OP_READ) {
        if (op.dwSizeBuf)
            std::memset(op.pbtBuf.get(), 0, op.dwSizeBuf);
        m_pPort->Read(op.pbtBuf.get(), op.dwSizeBuf, &overlapped);
    } else {
        m_pPort->Write(op.pbtBuf.get(), op.dwSizeBuf, &overlapped);
    }

    const DWORD dwRet = WaitForEvents(false, INFINITE, m_hStop, m_hCancel, ioEvent.h);
    if (dwRet == WAIT_OBJECT_0 || dwRet == WAIT_OBJECT_0 + 1) {
        if (dwRet == WAIT_OBJECT_0)
            ZASSERT(IsCanceled());
        m_pPort->Cancel(&overlapped);
        return false;
    }
    if (dwRet != WAIT_OBJECT_0 + 2) {
        // The wait itself failed: the transfer must not outlive its buffer.
        const DWORD dwError = GetLastError();
        ZASSERT(2 == (dwRet - WAIT_OBJECT_0));
        m_pPort->Cancel(&overlapped);
        throw CSerialPortException(dwError ? dwError : ERROR_INVALID_HANDLE);
    }
    const DWORD dwBytes = m_pPort->GetResult(&overlapped);
    const std::string strMoved(reinterpret_cast<const char*>(op.pbtBuf.get()),
                               dwBytes <= op.dwSizeBuf ? dwBytes : op.dwSizeBuf);
    TRACE_PAIR("Transferred: '%s'\n", TrimWhite(strMoved).c_str());
    return true;
}

void CSerialCom::Announce(CSerialOp* pOp, CSerialPortException* pError)
{
    const HWND hWnd = *m_phWndNotify;
    if (!hWnd || !PostMessageW(hWnd, WM_APP, reinterpret_cast<WPARAM>(pOp), reinterpret_cast<LPARAM>(pError))) {
        // Nobody will receive it.
        TRACE_REPORT("Announcement lost: %lu\n", static_cast<unsigned long>(GetLastError()));
        delete pOp;
        delete pError;
    }
}
