#include "serial/SerialPortAsync.h"

#include <winspool.h>

#include <algorithm>
#include <memory>

#include "serial/PortList.h"
#include "base/Trace.h"
#include "base/Util.h"

namespace {

// Read interval 50 ms: a reply of the phone ends with a 50 ms pause. A read
// with no incoming byte never times out. A write of n bytes may take
// 100 + 50 n ms.
const DWORD kReadInterval = 50;
const DWORD kWriteTotalConstant = 100;
const DWORD kWriteTotalMultiplier = 50;

[[noreturn]] void ThrowLastError()
{
    throw CSerialPortException(GetLastError());
}

std::vector<WString> GetSpoolerPorts()
{
    std::vector<WString> names;
    DWORD cbNeeded = 0, nPorts = 0;
    EnumPortsW(nullptr, 1, nullptr, 0, &cbNeeded, &nPorts);
    if (cbNeeded == 0)
        return names;
    std::unique_ptr<BYTE[]> buf(new BYTE[cbNeeded]);
    if (!EnumPortsW(nullptr, 1, buf.get(), cbNeeded, &cbNeeded, &nPorts))
        return names;
    const PORT_INFO_1W* pInfo = reinterpret_cast<const PORT_INFO_1W*>(buf.get());
    for (DWORD i = 0; i < nPorts; ++i) {
        if (pInfo[i].pName)
            names.push_back(pInfo[i].pName);
    }
    return names;
}

// The port names of HKLM\HARDWARE\DEVICEMAP\SERIALCOMM (the values' data).
std::vector<WString> GetSerialDevices()
{
    std::vector<WString> names;
    HKEY hOpened = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &hOpened) !=
        ERROR_SUCCESS)
        return names;
    const CRegKey hKey(hOpened);
    EnumRegValues(hKey, [&names](const CEnumValue& value) {
        if (value.dwType != REG_SZ)
            return;
        WString strName(value.data.size() / sizeof(wchar_t), L'\0');
        std::copy_n(value.data.data(), strName.size() * sizeof(wchar_t), reinterpret_cast<uint8_t*>(&strName[0]));
        names.push_back(strName.substr(0, strName.find(L'\0')));  // up to its terminator, if it has one
    });
    return names;
}

bool IsMissing(const WString& strDevicePath)
{
    const CFileHandle hPort(CreateFileW(strDevicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !hPort && GetLastError() == ERROR_FILE_NOT_FOUND;
}

} // namespace

CSerialPortAsync::CSerialPortAsync() : m_dwTransferred(0), m_bPending(false)
{
}

CSerialPortAsync::~CSerialPortAsync() = default;

void CSerialPortAsync::Open(const WString& strPort, DWORD dwBaudRate)
{
    ZASSERT(!IsOpen());
    Close();

    m_hComPort.Reset(CreateFileW(GetDevicePath(strPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_FLAG_NO_BUFFERING, nullptr));
    if (!IsOpen())
        ThrowLastError();

    // A port that cannot be configured is closed again, so that the next
    // open tries afresh instead of taking it for open.
    try {
        // Only the four line settings change; flow control, DTR/RTS and the
        // special characters stay as the driver has them.
        DCB dcb = {};
        dcb.DCBlength = sizeof(dcb);
        if (!GetCommState(m_hComPort, &dcb))
            ThrowLastError();
        dcb.BaudRate = dwBaudRate;
        dcb.ByteSize = 8;
        dcb.Parity = NOPARITY;
        dcb.StopBits = ONESTOPBIT;
        if (!SetCommState(m_hComPort, &dcb))
            ThrowLastError();
        SetTimeouts(kReadInterval, 0, 0, kWriteTotalConstant, kWriteTotalMultiplier);
    } catch (const CSerialPortException&) {
        Close();
        throw;
    }
}

void CSerialPortAsync::Close()
{
    m_hComPort.Reset();
}

void CSerialPortAsync::PurgeInput()
{
    if (!PurgeComm(m_hComPort, PURGE_RXCLEAR))
        TRACE_PAIR("PurgeComm failed: %lu\n", static_cast<unsigned long>(GetLastError()));
}

void CSerialPortAsync::Write(const void* pBuf, DWORD dwBytes, OVERLAPPED* pOverlapped)
{
    m_bReading = false;
    Started(WriteFile(m_hComPort, pBuf, dwBytes, &m_dwTransferred, pOverlapped));
}

void CSerialPortAsync::Read(void* pBuf, DWORD dwBytes, OVERLAPPED* pOverlapped)
{
    m_bReading = true;
    Started(ReadFile(m_hComPort, pBuf, dwBytes, &m_dwTransferred, pOverlapped));
}

// Records how a read or write began: done at once (m_dwTransferred holds its
// count), pending, or failed.
void CSerialPortAsync::Started(BOOL bDone)
{
    if (bDone) {
        m_bPending = false;
        return;
    }
    m_dwTransferred = 0;
    if (GetLastError() != ERROR_IO_PENDING)
        ThrowLastError();
    m_bPending = true;
}

void CSerialPortAsync::Cancel(OVERLAPPED* pOverlapped)
{
    CancelIo(m_hComPort);
    DWORD dwBytes = 0;
    GetOverlappedResult(m_hComPort, pOverlapped, &dwBytes, TRUE);
}

DWORD CSerialPortAsync::GetResult(OVERLAPPED* pOverlapped)
{
    if (m_dwTransferred != 0) {
        ZASSERT(!m_bPending);
        return m_dwTransferred;
    }
    DWORD dwBytes = 0;
    if (!GetOverlappedResult(m_hComPort, pOverlapped, &dwBytes, FALSE)) {
        const DWORD dwError = GetLastError();
        // A read whose wait passed without a byte: Windows ends it with
        // none, Wine with this error.
        if (dwError == ERROR_TIMEOUT && m_bReading)
            return dwBytes;
        TRACE_REPORT("ERROR: %lu: %s\n", static_cast<unsigned long>(dwError),
                     WideToAnsi(GetSystemErrorText(dwError)).c_str());
        throw CSerialPortException(dwError);
    }
    return dwBytes;
}

// The interval still ends a burst 50 ms after its last byte; the total
// bounds a read that gets nothing.
void CSerialPortAsync::SetReadWait(DWORD dwWaitMs)
{
    SetTimeouts(kReadInterval, dwWaitMs, 0, kWriteTotalConstant, kWriteTotalMultiplier);
}

void CSerialPortAsync::SetTimeouts(DWORD dwReadInterval, DWORD dwReadTotalConstant,
                                   DWORD dwReadTotalMultiplier, DWORD dwWriteTotalConstant,
                                   DWORD dwWriteTotalMultiplier)
{
    COMMTIMEOUTS timeouts = {};
    timeouts.ReadIntervalTimeout = dwReadInterval;
    timeouts.ReadTotalTimeoutMultiplier = dwReadTotalMultiplier;
    timeouts.ReadTotalTimeoutConstant = dwReadTotalConstant;
    timeouts.WriteTotalTimeoutMultiplier = dwWriteTotalMultiplier;
    timeouts.WriteTotalTimeoutConstant = dwWriteTotalConstant;
    if (!SetCommTimeouts(m_hComPort, &timeouts))
        ThrowLastError();
}

std::vector<std::string> CSerialPortAsync::EnumeratePorts()
{
    return MakePortList(GetSpoolerPorts(), GetSerialDevices(), IsMissing);
}
