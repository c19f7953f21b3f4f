// The request logic as the main window drives it: what each recipient's
// message leaves behind, the text of the Send whatever the box holds later,
// who is left for the next Send, which status texts carry the time, and a
// phone book handed over only when whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/ModemHarness.h"
#include "support/TestText.h"
#include "app/Draft.h"
#include "support/RequestHarness.h"

namespace {

typedef std::vector<std::string> Strings;

class CWindowLikeHost : public CTestHost {
public:
    void OnStatus(const WString& strText, bool bTimed) override
    {
        m_status.push_back(WideToUtf8(strText) + (bTimed ? " at T" : ""));
    }
    void OnRequestEnded() override { m_events.push_back("ended"); }
    void OnMessageStarted(const CSendRecord& record, size_t nIndex) override
    {
        m_events.push_back("started " + WideToUtf8(record.recipients[nIndex].contact.m_strNumber));
    }
    void OnMessageDone(const CSendRecord& record, size_t nIndex) override
    {
        m_events.push_back("done " + WideToUtf8(record.recipients[nIndex].contact.m_strNumber) + " " +
                           WideToUtf8(record.strText));
        m_strBox = m_strNextBox;  // the user typed on while the first recipient was served
    }
    void OnPhonebook(const std::vector<CContact>& phonebook) override { m_phonebook = phonebook; }

    WString m_strBox = WSTR("first");
    WString m_strNextBox = WSTR("second");
    Strings m_status;
    Strings m_events;
    std::vector<CContact> m_phonebook = {CContact(WSTR("Kept"), WSTR("1"))};
};

struct Request : ::testing::Test {
    CFakePortOperations queue;
    CWindowLikeHost host;
    CRecordingSink timer;
    CTestRequests request{&queue, &host, &timer};
    CPhoneLink phone{queue, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
                         request.OnOperationComplete(std::move(pOp), std::move(pError));
                     }};
    const std::vector<CContact> two{CContact(WString(), WSTR("111")), CContact(WSTR("Anna"), WSTR("222"))};

    void SetUp() override { ResetMsgReferences(); }
};

TEST_F(Request, EveryRecipientGetsTheTextOfTheSendAndOneRecordAfterItsLastPart)
{
    host.m_strNextBox = WSTR("second");  // typed into the box during the send: not sent
    ASSERT_TRUE(request.Send(WSTR("COM5"), two, WString(161, 'x')));  // two parts
    phone.Serve();
    EXPECT_EQ(host.m_events, Strings({"started 111", "done 111 " + std::string(161, 'x'), "started 222",
                                      "done 222 " + std::string(161, 'x'), "ended"}));
    EXPECT_EQ(host.m_status.back(), "Message sent to Anna (222) at T");
    EXPECT_EQ(host.m_status[4], "Message sent to 111 at T");
    EXPECT_EQ(request.GetMessagesDone(), 2u);
    EXPECT_EQ(queue.Count("close"), 1u);
}

// 222 refused for good: 333 is not reached, both are left for the next
// Send, as typed; 111 is not. A message cut short after its first part
// goes on with its second part, under the same reference, not whole again.
TEST_F(Request, AFailureLeavesTheRestForTheNextSend)
{
    const auto typed = [](const char* pszTyped, const char* pszNumber) {
        CSendRecipient recipient;
        recipient.strTyped = Utf8ToWide(pszTyped);
        recipient.contact = CContact(WString(), Utf8ToWide(pszNumber));
        return recipient;
    };
    const std::vector<CSendRecipient> three = {typed("111", "111"), typed("02 22", "0222"), typed("333", "333")};
    ASSERT_TRUE(request.Send(WSTR("COM5"), three, WString(161, 'y')));
    int nPdus = 0;
    phone.Serve([&](const std::string& c) { return c.back() == '\x1A' && ++nPdus == 4 ? "\r\n+CMS ERROR: 500\r\n" : "-"; });
    EXPECT_EQ(host.m_status.back(), "Failed to send message to 0222: unknown error (+CMS ERROR: 500); sent to 1 of 3");
    const std::vector<CSendRecipient> rest = request.GetRecord().GetLeft();
    EXPECT_EQ(WideToUtf8(JoinTyped(rest)), "02 22; 333");
    ASSERT_EQ(rest[0].GetPartsDone(), 1u);
    EXPECT_EQ(request.GetRecord().recipients[1].eState, ESendState::FAILED);
    EXPECT_EQ(WideToUtf8(request.GetRecord().recipients[1].strReason), "unknown error (+CMS ERROR: 500)");
    EXPECT_EQ(request.GetRecord().recipients[2].eState, ESendState::WAITING);

    phone.m_writes.clear();
    ASSERT_TRUE(request.Send(WSTR("COM5"), rest, WString(161, 'y')));
    phone.Serve();
    std::vector<std::string> pdus;
    for (const std::string& w : phone.m_writes) {
        if (w.back() == '\x1A')
            pdus.push_back(w.substr(w.find("050003"), 12));  // the concatenation header
    }
    // 0222's second part (ref F2, part 2 of 2), then 333's two parts under a reference of their own.
    ASSERT_EQ(pdus.size(), 3u);
    EXPECT_EQ(pdus[0], "050003F20202");
    EXPECT_EQ(pdus[1], "050003F40201");
    EXPECT_EQ(host.m_status.back(), "Message sent to 333 at T");
    EXPECT_TRUE(request.GetRecord().GetLeft().empty());
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
        {"\r\n+CMS ERROR: 304\r\n", "Failed to send message to 111: invalid PDU mode parameter (+CMS ERROR: 304)"},
        {"\r\n+CME ERROR: 10\r\n", "Failed to send message to 111: SIM not inserted (+CME ERROR: 10)"},
        {"\r\n+CMS ERROR: 601\r\n", "Failed to send message to 111: +CMS ERROR: 601"},
        {"\r\n+CMS ERROR: SMSC address unknown\r\n", "Failed to send message to 111: SMSC address unknown"},
        {"\r\nERROR\r\n", "Failed to send message to 111"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(request.Send(WSTR("COM5"), two, WSTR("Hi")));
        phone.Serve([&c](const std::string& s) { return s.compare(0, 8, "AT+CMGS=") == 0 ? c.pszRefusal : "-"; });
        EXPECT_EQ(host.m_status.back(), c.pszStatus + std::string("; sent to 0 of 2"));
    }

    // Three times "network out of order": twice offered again, then given up.
    ASSERT_TRUE(request.Send(WSTR("COM5"), two, WString(161, 'x')));  // two parts
    for (int nRefusals = 0; nRefusals < 3; ++nRefusals) {
        phone.Serve([](const std::string& s) { return s.back() == '\x1A' ? "\r\n+CMS ERROR: 38\r\n" : "-"; });
        request.OnTimer(CPhoneSession::TIMER_DIALOGUE);
    }
    const Strings expected = {"Retrying message 1 to 111 (network out of order)",
                              "Sending message 1 to 111...",
                              "Retrying message 1 to 111 (network out of order)",
                              "Sending message 1 to 111...",
                              "Failed to send message to 111: network out of order (+CMS ERROR: 38); sent to 0 of 2"};
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
    request.OnTimer(CPhoneSession::TIMER_DIALOGUE);
    phone.Reply("\r\n> ");  // the part offered again, and no answer to it
    request.OnTimer(CPhoneSession::TIMER_DIALOGUE);
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

// A disk that cannot take "submitting" keeps the PDU from going: the phone
// gets ESC instead, and 111 waits for the next Send.
TEST_F(Request, ASubmissionTheOutboxCannotKeepDoesNotGo)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zandu-send-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder);
    {
        COutbox outbox(test::PathText(folder / ""));
        request.SetOutbox(&outbox);
        int nAppends = 0;
        SetJournalFaultHook([&](const char* pszStep) { return std::string(pszStep) == "append" && ++nAppends == 2 ? 28ul : 0; });
        ASSERT_TRUE(request.Send(WSTR("COM5"), two, WSTR("Hi")));
        phone.Serve();
        SetJournalFaultHook(nullptr);
        EXPECT_EQ(phone.Count("0011F1038111F10000AA02C834\x1A"), 0u);
        EXPECT_EQ(phone.m_writes.back(), "\x1B");
        const std::string strStart = "Failed to send message to 111: cannot write the outbox (";
        EXPECT_EQ(host.m_status.back().substr(0, strStart.size()), strStart);
        EXPECT_EQ(WideToUtf8(JoinTyped(request.GetRecord().GetLeft())), "111; Anna");
    }
    std::filesystem::remove_all(folder);
}

} // namespace
