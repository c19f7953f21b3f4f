// The command exchange: port operations queued on the dialog thread are
// performed in order by one worker thread on a CSerialPortAsync, and every
// finished operation is announced by posting WM_SERIAL_NOTIFY to the notify
// window: wParam = the CSerialOp*, lParam = 0 on success or a new
// CSerialPortException* with the error code. The receiver takes both back
// with TakeAnnouncement and owns them. A read or write aborted by CancelAll or
// Stop is not announced.
//
// A read completes when at least one byte has come and then 50 ms pass
// without another (or the buffer is full): one announcement of OP_READ
// carries one burst of the phone's output.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>

#include "base/Raii.h"
#include "base/Thread.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortAsync.h"
#include "serial/PortOperations.h"

// The one message a worker posts: a finished port operation.
const UINT WM_SERIAL_NOTIFY = WM_APP;

// What one WM_SERIAL_NOTIFY carries, owned again by its receiver.
struct CSerialAnnouncement {
    std::unique_ptr<CSerialOp> pOp;
    std::unique_ptr<CSerialPortException> pError;  // null when the operation succeeded
};
inline CSerialAnnouncement TakeAnnouncement(WPARAM wParam, LPARAM lParam)
{
    CSerialAnnouncement ann;
    ann.pOp.reset(reinterpret_cast<CSerialOp*>(wParam));
    ann.pError.reset(reinterpret_cast<CSerialPortException*>(lParam));
    return ann;
}

class CSerialCom : public CThread<CSerialCom>, public CPortOperations {
public:
    explicit CSerialCom(CSerialPortAsync* pPort);
    ~CSerialCom() override;

    // Starts the worker, which announces to hWndNotify. The window must stay
    // until Stop has returned: its owner stops the worker before it goes.
    bool Start(HWND hWndNotify, int nPriority);

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
    void WriteEscape();
    void Announce(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);

    std::deque<std::unique_ptr<CSerialOp>> m_lstOps;
    CCriticalSection m_csOps;  // guards m_lstOps and the setting of m_hQueued/m_hCancel
    CSerialPortAsync* m_pPort;
    HWND m_hWndNotify;  // set before the worker starts, never changed while it runs
    CHandle m_hQueued;   // an operation is waiting
    CHandle m_hCancel;   // aborts the read or write in progress
};
