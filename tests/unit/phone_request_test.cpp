// The request logic as the main window drives it: what each recipient's
// message leaves behind, the text read again at each recipient's turn, which
// status texts carry the time, and a phone book handed over only when whole.
#include <gtest/gtest.h>

#include "support/ModemHarness.h"
#include "ui/PhoneRequest.h"

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
    WString GetMessageText(const WString&) override { return m_strBox; }
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
    CFakeSerialQueue queue;
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

TEST_F(Request, CancelWhileIdleStillClosesThePort)
{
    request.Cancel();
    phone.Run();
    EXPECT_EQ(host.m_status, Strings({"Canceled"}));
    EXPECT_EQ(host.m_events, Strings({"ended"}));
}

} // namespace
