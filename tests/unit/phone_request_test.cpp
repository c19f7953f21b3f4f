// The request logic as the main window drives it: what each recipient's
// message leaves behind, the text read again at each recipient's turn, which
// status texts carry the time, and a phone book handed over only when whole.
#include <gtest/gtest.h>

#include "support/ModemHarness.h"
#include "app/PhoneRequest.h"

namespace {

typedef std::vector<std::string> Strings;

class CWindowLikeHost : public CPhoneRequestHost {
public:
    void OnStatus(const WString& strText, bool bTimed) override
    {
        m_status.push_back(WideToUtf8(strText) + (bTimed ? " at T" : ""));
    }
    void SetTimer(unsigned, uint32_t) override {}
    void KillTimer(unsigned) override {}
    void OnRequestEnded() override { m_events.push_back("ended"); }
    bool GetMessageText(WString& strText) override
    {
        strText = m_strBox;
        return true;
    }
    void OnMessageStarted(const CMsg& msg) override { m_events.push_back("started " + WideToUtf8(msg.m_strNumber)); }
    void OnMessageDone(const CMsg& msg) override
    {
        m_events.push_back("done " + WideToUtf8(msg.m_strNumber) + " " + WideToUtf8(msg.m_strText));
        m_strBox = m_strNextBox;  // the user typed on while the first recipient was served
    }
    void OnPhonebook(const std::vector<CContact>& phonebook) override { m_phonebook = phonebook; }
    void OnTextRefused(const std::string& strError) override { m_events.push_back("refused " + strError); }

    WString m_strBox = WSTR("first");
    WString m_strNextBox = WSTR("second");
    Strings m_status;
    Strings m_events;
    std::vector<CContact> m_phonebook = {CContact(WSTR("Kept"), WSTR("1"))};
};

struct Request : ::testing::Test {
    CFakePortOperations queue;
    CWindowLikeHost host;
    CPhoneRequest request{&queue, &host};
    CPhoneLink phone{queue, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
                         request.OnOperationComplete(std::move(pOp), std::move(pError));
                     }};
    const std::vector<CContact> two{CContact(WString(), WSTR("111")), CContact(WSTR("Anna"), WSTR("222"))};

    void SetUp() override { ResetMsgReferences(); }
};

TEST_F(Request, EachRecipientGetsTheTextOfItsTurnAndOneRecordAfterItsLastPart)
{
    host.m_strBox = WString(161, 'x');  // two parts
    host.m_strNextBox = WSTR("second");
    ASSERT_TRUE(request.Send(WSTR("COM5"), two, WSTR("ignored")));
    phone.Serve();
    EXPECT_EQ(host.m_events, Strings({"started 111", "done 111 " + std::string(161, 'x'), "started 222",
                                      "done 222 second", "ended"}));
    EXPECT_EQ(host.m_status.back(), "Message sent to Anna (222) at T");
    EXPECT_EQ(host.m_status[4], "Message sent to 111 at T");
    EXPECT_EQ(request.GetMessagesDone(), 2u);
    EXPECT_EQ(queue.Count("close"), 1u);
}

TEST_F(Request, ATextThatCanNoLongerBeSentEndsTheRunAndClosesThePort)
{
    host.m_strNextBox = WString(153 * 255 + 1, 'x');  // 256 parts
    ASSERT_TRUE(request.Send(WSTR("COM5"), two, WString()));
    phone.Serve();
    ASSERT_EQ(host.m_events.size(), 4u);
    EXPECT_EQ(host.m_events[1], "done 111 first");
    EXPECT_EQ(host.m_events[2].compare(0, 8, "refused "), 0);
    EXPECT_EQ(host.m_events[3], "ended");  // the port is not left open
    EXPECT_EQ(queue.Count("open COM5"), 1u);
}

TEST_F(Request, PhonebookHandedOverWholeOrNotAtAll)
{
    request.DownloadPhonebook(WSTR("COM5"));
    phone.Serve();
    ASSERT_EQ(host.m_phonebook.size(), 2u);
    EXPECT_EQ(WideToUtf8(host.m_phonebook[1].m_strNumber), "+4930");
    EXPECT_EQ(host.m_status.back(), "Phonebook downloaded at T");

    host.m_phonebook = {CContact(WSTR("Kept"), WSTR("1"))};
    request.DownloadPhonebook(WSTR("COM5"));
    phone.Serve([](const std::string& c) { return c == "AT+CPBR=1,2\r\n" ? "\r\nERROR\r\n" : "-"; });
    EXPECT_EQ(host.m_status.back(), "Failed to download phonebook");
    ASSERT_EQ(host.m_phonebook.size(), 1u);
    EXPECT_EQ(WideToUtf8(host.m_phonebook[0].m_strName), "Kept");
}

// The request's text, then why: the phone's error and its meaning, or the
// port's trouble in words.
TEST_F(Request, FailuresSayWhy)
{
    struct Case {
        const char* pszRefusal;  // the answer to AT+CMGS=
        const char* pszStatus;
    } cases[] = {
        {"\r\n+CMS ERROR: 304\r\n", "Failed to send message: invalid PDU mode parameter (+CMS ERROR: 304)"},
        {"\r\n+CME ERROR: 10\r\n", "Failed to send message: SIM not inserted (+CME ERROR: 10)"},
        {"\r\n+CMS ERROR: 601\r\n", "Failed to send message: +CMS ERROR: 601"},
        {"\r\n+CMS ERROR: SMSC address unknown\r\n", "Failed to send message: SMSC address unknown"},
        {"\r\nERROR\r\n", "Failed to send message"},
        {"\r\nNONSENSE\r\n", "Failed to send message"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(request.Send(WSTR("COM5"), two, WSTR("Hi")));
        phone.Serve([&c](const std::string& s) { return s.compare(0, 8, "AT+CMGS=") == 0 ? c.pszRefusal : "-"; });
        EXPECT_EQ(host.m_status.back(), c.pszStatus);
    }

    // Three times "network out of order": twice offered again, then given up.
    host.m_strBox = WString(161, 'x');  // two parts
    ASSERT_TRUE(request.Send(WSTR("COM5"), two, WString()));
    for (int nRefusals = 0; nRefusals < 3; ++nRefusals) {
        phone.Serve([](const std::string& s) { return s.back() == '\x1A' ? "\r\n+CMS ERROR: 38\r\n" : "-"; });
        request.OnTimer(CPhoneRequest::TIMER_DIALOGUE);
    }
    const Strings expected = {"Retrying message 1 to 111 (network out of order)",
                              "Sending message 1 to 111...",
                              "Retrying message 1 to 111 (network out of order)",
                              "Sending message 1 to 111...",
                              "Failed to send message: network out of order (+CMS ERROR: 38)"};
    EXPECT_EQ(Strings(host.m_status.end() - 5, host.m_status.end()), expected);

    // Otherwise the system's text.
    const auto systemText = [](uint32_t dwError) {
        return "Error: " + TrimWhite(WideToUtf8(CSerialPortException(dwError).GetErrorText()));
    };
    const std::pair<uint32_t, std::string> ports[] = {
        {5, "Error: the port COM5 is in use by another program"},
        {32, "Error: the port COM5 is in use by another program"},
        {2, "Error: the port COM5 was not found"},
        {31, systemText(31)},
    };
    for (const auto& port : ports) {
        request.TestPort(WSTR("COM5"));
        phone.FailNext(port.first);
        EXPECT_EQ(host.m_status.back(), port.second);
    }
    request.TestPort(WSTR("COM5"));
    phone.Reply("OK");
    phone.FailNext(5);  // a write refused: no open
    EXPECT_EQ(host.m_status.back(), systemText(5));
}

TEST_F(Request, RetryOfAMessageOfOneSmsAndTheProgressTimeOut)
{
    ASSERT_TRUE(request.Send(WSTR("COM5"), {CContact(WSTR("Anna"), WSTR("0123"))}, WSTR("Hi")));
    phone.Serve([](const std::string& s) { return s.back() == '\x1A' ? "\r\n+CMS ERROR: 42\r\n" : "-"; });
    EXPECT_EQ(host.m_status.back(), "Retrying message to Anna (0123) (congestion)");
    request.OnTimer(CPhoneRequest::TIMER_DIALOGUE);
    phone.Reply("\r\n> ");  // the part offered again, and no answer to it
    request.OnTimer(CPhoneRequest::TIMER_DIALOGUE);
    phone.Run();
    EXPECT_EQ(host.m_status.back(), "Not confirmed: the phone did not say whether the message to Anna (0123) was "
                                    "sent; check the phone before sending it again");
    EXPECT_EQ(host.m_events.back(), "ended");
}

TEST_F(Request, CancelWhileIdleStillClosesThePort)
{
    request.Cancel();
    phone.Run();
    EXPECT_EQ(host.m_status, Strings({"Canceled"}));
    EXPECT_EQ(host.m_events, Strings({"ended"}));
}

} // namespace
