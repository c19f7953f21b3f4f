// The serial layer without a phone: what a missing port, an empty queue and a
// stopped worker look like from the dialog thread. The exchanges with a phone
// are tested against the phone simulator (tests/system/test_serial_*.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "serial/SerialSession.h"
#include "serial/PortList.h"
#include "support/TraceCapture.h"

namespace {

const char kMissingPort[] = "COM199";

bool HasLine(const std::string& strLine)
{
    const std::vector<std::string> lines = CTraceCapture::Lines();
    return std::find(lines.begin(), lines.end(), strLine) != lines.end();
}

TEST(SerialPortAsync, OpeningAMissingPortThrowsFileNotFound)
{
    CSerialPortAsync port;
    try {
        port.Open(WSTR("COM199"), 9600);
        FAIL() << "opened a port that does not exist";
    } catch (const CSerialPortException& e) {
        EXPECT_EQ(e.m_dwError, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
        EXPECT_FALSE(e.GetErrorText().empty());
    }
    EXPECT_FALSE(port.IsOpen());
    port.Close();  // closing a closed port does nothing
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialCom, MissingPortIsAnnouncedWithItsErrorAndStaysClosed)
{
    CTraceCapture capture;
    CSerialSession session;
    ASSERT_TRUE(session.Start());
    session.Queue().OpenPort(kMissingPort);
    session.Queue().ClosePort();
    CAnnouncement open, close;
    ASSERT_TRUE(session.Wait(3000, open));
    ASSERT_TRUE(session.Wait(3000, close));
    EXPECT_EQ(open.pOp->m_eKind, EOpKind::OP_OPEN);
    ASSERT_TRUE(open.pError);
    EXPECT_EQ(open.pError->m_dwError, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    // No pause after a failed open.
    EXPECT_LT(close.ullTick - open.ullTick, 1000u);
    EXPECT_EQ(close.pOp->m_eKind, EOpKind::OP_CLOSE);
    EXPECT_FALSE(close.pError);
    EXPECT_FALSE(session.Port().IsOpen());
    EXPECT_TRUE(HasLine("Opening...\n"));
    EXPECT_TRUE(HasLine("Closing...\n"));
}

TEST(SerialCom, StopWithAnEmptyQueueReturnsAndLaterOperationsAreNeverPerformed)
{
    CSerialSession session;
    ASSERT_TRUE(session.Start());
    const ULONGLONG ullStart = GetTickCount64();
    session.Com().Stop();
    EXPECT_LT(GetTickCount64() - ullStart, 2000u);
    EXPECT_FALSE(session.Com().IsActive());
    session.Queue().ClosePort();
    session.Queue().EnumeratePorts();
    CAnnouncement ann;
    EXPECT_FALSE(session.Wait(300, ann));
}

TEST(SerialCom, EnumerationIsAnnouncedAndListsNoMissingPort)
{
    CTraceCapture capture;
    CSerialSession session;
    ASSERT_TRUE(session.Start());
    session.Queue().EnumeratePorts();
    CAnnouncement ann;
    ASSERT_TRUE(session.Wait(10000, ann));
    EXPECT_EQ(ann.pOp->m_eKind, EOpKind::OP_ENUM_PORTS);
    EXPECT_FALSE(ann.pError);
    EXPECT_TRUE(HasLine("Enumerating ports...\n"));
    const std::vector<std::string>& aPorts = ann.pOp->m_aPorts;
    for (const std::string& strPort : aPorts) {
        EXPECT_EQ(strPort.compare(0, 3, "COM"), 0) << strPort;
        EXPECT_EQ(strPort.find(':'), std::string::npos) << strPort;
        const WString strPath = GetDevicePath(AnsiToWide(strPort));
        HANDLE h = CreateFileW(strPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_FALSE(h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) << strPort;
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
    EXPECT_EQ(std::count(aPorts.begin(), aPorts.end(), kMissingPort), 0);
}

} // namespace
