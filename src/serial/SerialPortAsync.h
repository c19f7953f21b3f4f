// One COM port opened for overlapped I/O, and the enumeration of the ports.
// It has no thread of its own: every operation runs on the worker of
// CSerialCom. Failures of Win32 calls are thrown as
// CSerialPortException with the GetLastError code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/Raii.h"
#include "base/Text.h"
#include "serial/SerialPortException.h"

class CSerialPortAsync {
public:
    CSerialPortAsync();
    ~CSerialPortAsync();

    CSerialPortAsync(const CSerialPortAsync&) = delete;
    CSerialPortAsync& operator=(const CSerialPortAsync&) = delete;

    // Opens the port (for example COM3 or COM12) through the device namespace,
    // exclusively, and sets the line to dwBaudRate 8N1 and the fixed time-outs;
    // the other line settings are kept as the driver reports them.
    void Open(const WString& strPort, DWORD dwBaudRate);
    void Close();
    // Discards what the phone has sent and nobody has read yet. A failure is
    // traced only: the dialogue copes with what is left over.
    void PurgeInput();
    bool IsOpen() const { return static_cast<bool>(m_hComPort); }

    // Start a transfer whose completion signals pOverlapped->hEvent; the caller
    // then calls GetResult or Cancel. At most one transfer is outstanding.
    void Write(const void* pBuf, DWORD dwBytes, OVERLAPPED* pOverlapped);
    void Read(void* pBuf, DWORD dwBytes, OVERLAPPED* pOverlapped);
    // Aborts the transfer and waits until the system has let go of the buffer
    // and the OVERLAPPED, so that the caller may free them.
    void Cancel(OVERLAPPED* pOverlapped);
    // The byte count of the finished transfer. A transfer that failed (the
    // device went away, for example) is thrown with its error code.
    DWORD GetResult(OVERLAPPED* pOverlapped);

    // The longest a read waits for its first byte: 0 without end (the fixed
    // time-outs of the open).
    void SetReadWait(DWORD dwWaitMs);
    void SetTimeouts(DWORD dwReadInterval, DWORD dwReadTotalConstant, DWORD dwReadTotalMultiplier,
                     DWORD dwWriteTotalConstant, DWORD dwWriteTotalMultiplier);

    // The ports the print spooler and the serial device map know now.
    static std::vector<std::string> EnumeratePorts();

private:
    void Started(BOOL bDone);

    CFileHandle m_hComPort;
    DWORD m_dwTransferred;  // count of a transfer that completed at once
    bool m_bPending;        // the last transfer's result is in its OVERLAPPED
    bool m_bReading = false;  // the last transfer is a read
};
