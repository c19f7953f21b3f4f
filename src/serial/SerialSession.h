// The serial worker for a program without a dialog: the port, the worker, a
// message-only window that receives the worker's announcements, and a message
// loop with a time-out. zandusms-cli builds its port commands on it, and test
// programs drive the serial layer with it; a request plugs in as a
// CSessionHandler.
//
//   CSerialSession session;
//   if (!session.Start()) ...;
//   session.Queue().OpenPort("COM5");
//   CAnnouncement ann;
//   if (!session.Wait(5000, ann)) ...timed out...;
//   if (ann.pError) ...ann.pError->m_dwError...;
//
// Windows only. One session per thread; the thread that calls Start must run
// the loop (Wait or Run).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>

#include "serial/SerialCom.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortAsync.h"
#include "serial/SerialPortException.h"

// One finished port operation, as the worker announced it. The error is null
// when the operation succeeded.
struct CAnnouncement : CSerialAnnouncement {
    ULONGLONG ullTick = 0;  // GetTickCount64 when the loop received it
};

// Receives what arrives at the session's window while Run is looping.
class CSessionHandler {
public:
    virtual ~CSessionHandler() {}
    virtual void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) = 0;
    // A window timer of the session's window fired (SetTimer(GetWindow(), id, ...)).
    virtual void OnTimer(UINT_PTR /*nId*/) {}
};

class CSerialSession {
public:
    CSerialSession();
    // Stops the worker and frees every announcement nobody received.
    ~CSerialSession();

    CSerialSession(const CSerialSession&) = delete;
    CSerialSession& operator=(const CSerialSession&) = delete;

    // Creates the window and starts the worker; false (with GetLastError) on failure.
    bool Start();

    CPortOperations& Queue() { return m_com; }
    CSerialCom& Com() { return m_com; }
    CSerialPortAsync& Port() { return m_port; }
    HWND GetWindow() const { return m_hWnd; }

    // Runs the message loop until an announcement is at hand (true) or
    // dwTimeoutMs pass (false). Announcements are handed out in order.
    bool Wait(DWORD dwTimeoutMs, CAnnouncement& ann);
    // Runs the loop for dwMs and keeps what arrives for Wait.
    void Pump(DWORD dwMs);
    // Passes every announcement (those kept first) and timer to the handler
    // until fnDone is true (true) or dwTimeoutMs pass (false).
    bool Run(CSessionHandler& handler, const std::function<bool()>& fnDone, DWORD dwTimeoutMs);

private:
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnAnnouncement(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);
    // Dispatches what is waiting, then waits at most dwMs for more.
    void PumpOnce(DWORD dwMs);

    CSerialPortAsync m_port;  // declared before the worker that uses it
    HWND m_hWnd;
    CUiQueue m_ui;            // what the worker announces, run on the window's thread
    CSerialCom m_com;
    std::deque<CAnnouncement> m_kept;
    CSessionHandler* m_pHandler;
};
