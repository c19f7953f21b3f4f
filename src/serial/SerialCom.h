// The command exchange: port operations queued on the dialog thread are
// performed in order by one worker thread on a CSerialPortAsync, and every
// finished operation is announced on the dialog thread through its CUiQueue:
// the announcement function receives the operation and, on failure, the
// error, and owns both. A read or write aborted by CancelAll or Stop is not
// announced.
//
// A read completes when at least one byte has come and then 50 ms pass
// without another (or the buffer is full): one announcement of OP_READ
// carries one burst of the phone's output. A listening read (m_dwWaitMs)
// also completes, empty and untraced, when nothing came within its wait, so
// that a write queued behind it goes out that much later at most, and no
// read ever has to be cancelled (which would lose what it had read).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>

#include "base/Raii.h"
#include "base/Thread.h"
#include "base/UiQueue.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortAsync.h"
#include "serial/PortOperations.h"

// One finished port operation; the error is null when it succeeded.
struct CSerialAnnouncement {
    std::unique_ptr<CSerialOp> pOp;
    std::unique_ptr<CSerialPortException> pError;
};
typedef std::function<void(std::unique_ptr<CSerialOp>, std::unique_ptr<CSerialPortException>)> FnAnnounce;

class CSerialCom : public CThread<CSerialCom>, public CPortOperations {
public:
    explicit CSerialCom(CSerialPortAsync* pPort);
    ~CSerialCom() override;

    // Starts the worker, whose announcements fnAnnounce receives on the
    // queue's thread. The queue must stay until Stop has returned: its owner
    // stops the worker before it goes, then discards what is left.
    bool Start(CUiQueue* pUi, FnAnnounce fnAnnounce, int nPriority);

    // Dialog thread.
    void Enqueue(std::unique_ptr<CSerialOp> pOp) override;
    // Discards the queued operations and aborts the read or write in progress
    // at this moment; an open, close or enumeration in progress runs to its end
    // and is announced. Operations queued afterwards are performed normally.
    void CancelAll() override;
    // Stop (CThread) ends the worker and waits for its thread to end.
    // Operations queued afterwards are never performed.

    // Worker thread (CThread).
    void Run();

    // The pause after a fresh open, which gives the phone time to settle.
    // ESC is written before it. What the phone sent before it ends (a late
    // answer of a request that was cancelled, a greeting, the answer to the
    // ESC) is discarded after it.
    static const DWORD kOpenPauseMs = 2000;
    static const DWORD kBaudRate = 9600;

private:
    bool IsCanceled() const { return IsStopRequested(); }
    std::unique_ptr<CSerialOp> TakeNext();
    // Performs one operation; false when it was aborted and is not announced.
    bool Perform(CSerialOp& op);
    bool Transfer(CSerialOp& op);
    // A listening read that got nothing, with nothing else queued: read again
    // here, so that the window's thread wakes only when the phone speaks or
    // a request comes.
    bool IsIdleListening(const CSerialOp& op);
    void WriteEscape();
    void Announce(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);

    std::deque<std::unique_ptr<CSerialOp>> m_lstOps;
    CCriticalSection m_csOps;  // guards m_lstOps and the setting of m_hQueued/m_hCancel
    CSerialPortAsync* m_pPort;
    CUiQueue* m_pUi = nullptr;  // set before the worker starts, never changed while it runs
    FnAnnounce m_fnAnnounce;
    CHandle m_hQueued;   // an operation is waiting
    CHandle m_hCancel;   // aborts the read or write in progress
    uint32_t m_dwReadWait = 0;  // the port's wait for a read's first byte (0: without end)
};
