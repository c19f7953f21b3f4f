#include "serial/SerialCom.h"

#include <cstring>

#include "base/Trace.h"
#include "base/Util.h"

CSerialCom::CSerialCom(CSerialPortAsync* pPort)
    : m_pPort(pPort),
      m_hQueued(CreateManualEvent()),
      m_hCancel(CreateManualEvent())
{
}

CSerialCom::~CSerialCom()
{
    Stop();
}

bool CSerialCom::Start(CUiQueue* pUi, FnAnnounce fnAnnounce, int nPriority)
{
    if (!m_hThread) {  // a second start is refused by CThread; its queue stays
        m_pUi = pUi;
        m_fnAnnounce = std::move(fnAnnounce);
    }
    return CThread<CSerialCom>::Start(nPriority);
}

void CSerialCom::Enqueue(std::unique_ptr<CSerialOp> pOp)
{
    CLock lock(m_csOps);
    m_lstOps.push_back(std::move(pOp));
    SetEvent(m_hQueued);
}

void CSerialCom::CancelAll()
{
    CLock lock(m_csOps);
    m_lstOps.clear();
    SetEvent(m_hCancel);
}

// The cancel event is cleared under the queue's lock at the moment an
// operation is taken: a CancelAll before that has already discarded the
// operation, and one after it aborts exactly this operation. Clearing it
// anywhere else would let a cancel meant for nothing abort the next operation.
std::unique_ptr<CSerialOp> CSerialCom::TakeNext()
{
    for (;;) {
        if (IsCanceled())
            return nullptr;
        {
            CLock lock(m_csOps);
            if (!m_lstOps.empty()) {
                std::unique_ptr<CSerialOp> pOp = std::move(m_lstOps.front());
                m_lstOps.pop_front();
                ResetEvent(m_hCancel);
                return pOp;
            }
            ResetEvent(m_hQueued);
        }
        WaitForEvents(false, INFINITE, GetStopEvent(), m_hQueued.Get());
    }
}

bool CSerialCom::IsIdleListening(const CSerialOp& op)
{
    if (op.m_eKind != EOpKind::OP_READ || !op.m_dwWaitMs || op.m_dwTransferred)
        return false;
    CLock lock(m_csOps);
    return m_lstOps.empty() && !IsCanceled() && WaitForSingleObject(m_hCancel.Get(), 0) != WAIT_OBJECT_0;
}

void CSerialCom::Run()
{
    while (std::unique_ptr<CSerialOp> pOp = TakeNext()) {
        std::unique_ptr<CSerialPortException> pError;
        bool bAnnounce = true;
        try {
            do {
                bAnnounce = Perform(*pOp);
            } while (bAnnounce && IsIdleListening(*pOp));
        } catch (const CSerialPortException& e) {
            pError = std::make_unique<CSerialPortException>(e);
        }
        // An aborted operation is dropped here: nobody waits for it.
        if (bAnnounce)
            Announce(std::move(pOp), std::move(pError));
    }
}

bool CSerialCom::Perform(CSerialOp& op)
{
    switch (op.m_eKind) {
    case EOpKind::OP_OPEN:
        TRACE_PAIR("Opening...\n");
        if (!m_pPort->IsOpen()) {
            m_pPort->Open(AnsiToWide(op.GetText()), kBaudRate);
            m_dwReadWait = 0;
            // A phone left waiting for a PDU (by another program, or by a
            // crash) takes ESC as the end of it; one in command mode ignores it.
            WriteEscape();
            // A stop ends the pause early; the open is still announced.
            WaitForSingleObject(GetStopEvent(), kOpenPauseMs);
            m_pPort->PurgeInput();
        }
        return true;
    case EOpKind::OP_CLOSE:
        TRACE_PAIR("Closing...\n");
        m_pPort->Close();
        return true;
    case EOpKind::OP_ENUM_PORTS:
        TRACE_PAIR("Enumerating ports...\n");
        op.m_aPorts = CSerialPortAsync::EnumeratePorts();
        return true;
    case EOpKind::OP_READ:
    case EOpKind::OP_WRITE:
        return Transfer(op);
    default:
        ZASSERT(!"unknown operation");
        return true;
    }
}

bool CSerialCom::Transfer(CSerialOp& op)
{
    const CHandle hIoEvent(CreateManualEvent());
    if (!hIoEvent)
        throw CSerialPortException(GetLastError());
    OVERLAPPED overlapped = {};
    overlapped.hEvent = hIoEvent;

    if (op.m_eKind == EOpKind::OP_READ) {
        if (op.m_dwWaitMs != m_dwReadWait) {  // a listening read follows another: nothing to set
            m_pPort->SetReadWait(op.m_dwWaitMs);
            m_dwReadWait = op.m_dwWaitMs;
        }
        if (op.dwSizeBuf)
            std::memset(op.pbtBuf.get(), 0, op.dwSizeBuf);
        m_pPort->Read(op.pbtBuf.get(), op.dwSizeBuf, &overlapped);
    } else {
        m_pPort->Write(op.pbtBuf.get(), op.dwSizeBuf, &overlapped);
    }

    const DWORD dwRet = WaitForEvents(false, INFINITE, GetStopEvent(), m_hCancel.Get(), hIoEvent.Get());
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
    const uint32_t dwMoved = dwBytes <= op.dwSizeBuf ? dwBytes : op.dwSizeBuf;
    if (op.m_eKind == EOpKind::OP_READ)
        op.m_dwTransferred = dwMoved;
    if (dwMoved == 0 && op.m_dwWaitMs)  // a listening read that got nothing: nothing to say
        return true;
    if (op.m_bSecret) {
        TRACE_PAIR("Transferred: %u bytes not shown\n", static_cast<unsigned>(dwMoved));
        return true;
    }
    const std::string strMoved(reinterpret_cast<const char*>(op.pbtBuf.get()), dwMoved);
    TRACE_PAIR("Transferred: '%s'\n", TrimWhite(strMoved).c_str());
    return true;
}

// Waits for the byte to go out (1 s at most, a stop ends it): the pause
// that follows must come after it.
void CSerialCom::WriteEscape()
{
    const CHandle hIoEvent(CreateManualEvent());
    if (!hIoEvent)
        return;
    static const char kEsc = '\x1B';
    OVERLAPPED overlapped = {};
    overlapped.hEvent = hIoEvent;
    try {
        m_pPort->Write(&kEsc, 1, &overlapped);
        const DWORD dwRet = WaitForEvents(false, 1000, GetStopEvent(), hIoEvent.Get());
        if (dwRet != WAIT_OBJECT_0 + 1) {
            m_pPort->Cancel(&overlapped);
            return;
        }
        m_pPort->GetResult(&overlapped);
    } catch (const CSerialPortException& e) {
        // The request's own first command will meet the port's trouble.
        TRACE_PAIR("ESC after the open not written: %lu\n", static_cast<unsigned long>(e.m_dwError));
    }
}

// The posted work owns what it carries from here on, and frees it when it is
// dropped unrun.
void CSerialCom::Announce(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError)
{
    auto pAnn = std::make_shared<CSerialAnnouncement>();
    pAnn->pOp = std::move(pOp);
    pAnn->pError = std::move(pError);
    const FnAnnounce& fnAnnounce = m_fnAnnounce;
    if (!m_pUi || !m_pUi->Post([&fnAnnounce, pAnn] { fnAnnounce(std::move(pAnn->pOp), std::move(pAnn->pError)); }))
        TRACE_REPORT("Announcement lost: %lu\n", static_cast<unsigned long>(GetLastError()));
}
