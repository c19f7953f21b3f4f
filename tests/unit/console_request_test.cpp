// The console tool's requests with a scripted phone: the status lines a
// script reads, the exit codes, several recipients on one open port, and the
// two time-outs, and the phone's reason for a refusal.
#include <gtest/gtest.h>

#include <map>

#include "cli/Cli.h"
#include "cli/ConsoleRequest.h"
#include "support/ModemHarness.h"

namespace {

typedef std::vector<std::string> Strings;

class CFakeHost : public CConsoleHost {
public:
    void PrintLine(const std::string& strLine) override { m_lines.push_back(strLine); }
    void PrintError(const std::string& strLine) override { m_errors.push_back(strLine); }
    void SetTimer(unsigned nId, uint32_t dwMilliseconds) override
    {
        m_timers[nId] = dwMilliseconds;
        ++m_nStarts[nId];
    }
    void KillTimer(unsigned nId) override { m_timers.erase(nId); }
    void PrintOutcome(const std::string& strLine) override { m_outcomes.push_back(strLine); }

    bool IsRunning(unsigned nId) const { return m_timers.count(nId) != 0; }
    std::string Errors() const
    {
        std::string str;
        for (const std::string& s : m_errors)
            str += s + "\n";
        return str;
    }

    Strings m_lines;
    Strings m_outcomes;
    Strings m_errors;
    std::map<unsigned, uint32_t> m_timers;  // the running ones
    std::map<unsigned, unsigned> m_nStarts;
};

struct Console : ::testing::Test {
    CFakePortOperations queue;
    CFakeHost host;
    CConsoleRequest request{&queue, &host, WSTR("COM5"), 120000};
    CPhoneLink phone{queue, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
                         request.OnOperationComplete(std::move(pOp), std::move(pError));
                     }};

    void SetUp() override { ResetMsgReferences(); }

    // Answers like a phone with echo off until the driver stops reading or
    // the script says stop (an empty reply).
    void Serve(const std::function<std::string(const std::string&)>& script = nullptr) { phone.Serve(script); }

    static std::vector<CContact> Numbers(std::initializer_list<const char*> numbers)
    {
        std::vector<CContact> contacts;
        for (const char* psz : numbers)
            contacts.emplace_back(WString(), Utf8ToWide(psz));
        return contacts;
    }
};

TEST_F(Console, OneMessageWithTheWindowsStatusTexts)
{
    request.Send(Numbers({"0123456789"}), WSTR("Hi"));
    Serve();
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Sending message to 0123456789...",
                                     "Message sent to 0123456789"}));
    EXPECT_TRUE(request.IsFinished());
    EXPECT_EQ(request.GetExitCode(), kExitOk);
    EXPECT_TRUE(host.m_errors.empty()) << host.Errors();
    EXPECT_EQ(phone.m_writes[3], "AT+CMGS=15\r");
    EXPECT_EQ(phone.m_writes[4], "0011F10A8110325476980000AA02C834\x1A");
    EXPECT_EQ(queue.Count("close"), 1u);
    EXPECT_TRUE(host.m_timers.empty());  // nothing left to fire
}

TEST_F(Console, ThreeRecipientsOnOnePortEachWithItsHandshake)
{
    std::vector<CContact> recipients = Numbers({"111", "+44 20 7946 0000"});
    recipients.insert(recipients.begin() + 1, CContact(WSTR("J\u00FCrgen"), WSTR("5551234")));
    request.Send(recipients, WString(161, 'x'));
    Serve();
    EXPECT_EQ(host.m_lines,
              Strings({"Connecting...", "Handshaking...", "Sending message 1 to 111...",
                       "Sending message 2 to 111...", "Message sent to 111",
                       "Connecting...", "Handshaking...", "Sending message 1 to J\xC3\xBCrgen (5551234)...",
                       "Sending message 2 to J\xC3\xBCrgen (5551234)...", "Message sent to J\xC3\xBCrgen (5551234)",
                       "Connecting...", "Handshaking...", "Sending message 1 to +44 20 7946 0000...",
                       "Sending message 2 to +44 20 7946 0000...", "Message sent to +44 20 7946 0000"}));
    EXPECT_EQ(request.GetExitCode(), kExitOk);
    // One close at the very end; the handshake and PDU mode once per recipient.
    EXPECT_EQ(queue.Count("close"), 1u);
    EXPECT_EQ(queue.m_log.back(), "close");
    EXPECT_EQ(queue.Count("write AT\r\n"), 3u);
    EXPECT_EQ(queue.Count("write AT+CMGF=0\r\n"), 3u);
    // Each recipient's message has a reference of its own: 241, 242, 243.
    size_t nPdus = 0;
    for (const std::string& w : phone.m_writes)
        nPdus += w.back() == '\x1A';
    EXPECT_EQ(nPdus, 6u);
    EXPECT_NE(phone.m_writes[4].find("050003F10201"), std::string::npos);
    EXPECT_NE(phone.m_strWritten.find("050003F20202"), std::string::npos);
    EXPECT_NE(phone.m_strWritten.find("050003F30201"), std::string::npos);
}

TEST_F(Console, StoringInThePhone)
{
    request.Save(Numbers({"12345"}), WString(200, 'y'));
    Serve([](const std::string& c) {
        return c.back() == '\x1A' ? std::string("\r\n+CMGW: 3\r\n\r\nOK\r\n") : std::string("-");
    });
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Uploading message to phone...",
                                     "Uploading message to phone...", "Message uploaded"}));
    EXPECT_EQ(request.GetExitCode(), kExitOk);
    EXPECT_EQ(phone.m_writes[3].substr(0, 8), "AT+CMGW=");
}

TEST_F(Console, RefusalEndsTheRunWithExitOne)
{
    request.Send(Numbers({"111", "222"}), WSTR("Hi"));
    Serve([](const std::string& c) {
        return c.compare(0, 8, "AT+CMGS=") == 0 ? std::string("\r\n+CMS ERROR: 500\r\n") : std::string("-");
    });
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...",
                                     "Failed to send message to 111: unknown error (+CMS ERROR: 500); sent to 0 of 2"}));
    EXPECT_EQ(host.m_outcomes, Strings({"111: failed: unknown error (+CMS ERROR: 500)", "222: not sent"}));
    EXPECT_EQ(request.GetExitCode(), kExitFailed);
    EXPECT_TRUE(request.IsFinished());
    ASSERT_EQ(host.m_errors.size(), 1u);
    EXPECT_EQ(host.m_errors[0], "unknown error (+CMS ERROR: 500): the phone answered '+CMS ERROR: 500' instead of '>'");
    EXPECT_EQ(queue.Count("open COM5"), 1u);  // the second recipient is not served
}

// Some sent, some not: a code of its own, and what became of each.
TEST_F(Console, ASecondRecipientFailingLeavesTheRunPartlySent)
{
    request.Send(Numbers({"111", "222"}), WSTR("Hi"));
    int nPdus = 0;
    Serve([&nPdus](const std::string& c) {
        return c.back() == '\x1A' && ++nPdus == 2 ? std::string("\r\nERROR\r\n") : std::string("-");
    });
    EXPECT_EQ(host.m_lines.back(), "Failed to send message to 222; sent to 1 of 2");
    EXPECT_EQ(host.m_lines[3], "Message sent to 111");
    EXPECT_EQ(host.m_outcomes, Strings({"111: sent (reference 7)", "222: failed"}));
    EXPECT_EQ(request.GetExitCode(), kExitPartly);
}

TEST_F(Console, PortErrorShowsErrorAndEndsWithExitFour)
{
    request.Send(Numbers({"111"}), WSTR("Hi"));
    ASSERT_TRUE(phone.FailNext(2));  // the open
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Error: the port COM5 was not found"}));
    EXPECT_TRUE(request.IsFinished());
    EXPECT_EQ(request.GetExitCode(), kExitPort);
    ASSERT_EQ(host.m_errors.size(), 1u);
    EXPECT_EQ(host.m_errors[0], "COM5: the port COM5 was not found (error 2)");
}

// The port failing after the PDU went out: the message may have left.
TEST_F(Console, PortErrorInTheMiddleOfAMessage)
{
    request.Send(Numbers({"111"}), WSTR("Hi"));
    Serve([](const std::string& c) { return c.back() == '\x1A' ? std::string() : std::string("-"); });
    ASSERT_TRUE(phone.FailNext(995));  // the read after the PDU: the system's text
    const size_t n = host.m_lines.size();
    ASSERT_GE(n, 2u);
    EXPECT_EQ(host.m_lines[n - 2], "Error: " + TrimWhite(WideToUtf8(CSerialPortException(995).GetErrorText())));
    EXPECT_EQ(host.m_lines[n - 1], "Not confirmed: the phone did not say whether the message to 111 was sent; "
                                   "check the phone before sending it again");
    EXPECT_TRUE(request.IsFinished());
    EXPECT_EQ(request.GetExitCode(), kExitNotConfirmed);
}

// A part refused for a moment cannot have gone: no answer to it offered
// again is a time-out, in the words and the exit code, not "not confirmed".
TEST_F(Console, ATimeOutAfterARefusalForAMomentIsATimeOut)
{
    request.Send(Numbers({"111"}), WSTR("Hi"));
    Serve([](const std::string& c) { return c.back() == '\x1A' ? std::string("\r\n+CMS ERROR: 42\r\n") : std::string("-"); });
    request.OnTimer(CConsoleRequest::TIMER_DIALOGUE);  // offered again: "AT+CMGS=15", never answered
    phone.Run();
    request.OnTimer(CConsoleRequest::TIMER_DIALOGUE);
    phone.Run();
    EXPECT_EQ(host.m_lines.back(), "Canceled");
    EXPECT_EQ(request.GetExitCode(), kExitTimeout);
    EXPECT_EQ(host.Errors(), "timed out: no answer from the phone for 120 s; the request was cancelled\n");
}

TEST_F(Console, NoAnswerToAtIsTheHandshakeTimeOut)
{
    request.TestPort();
    EXPECT_TRUE(phone.IsReadPending());
    ASSERT_TRUE(host.IsRunning(CConsoleRequest::TIMER_DIALOGUE));
    EXPECT_EQ(host.m_timers[CConsoleRequest::TIMER_DIALOGUE], 5000u);
    request.OnTimer(CConsoleRequest::TIMER_DIALOGUE);
    phone.Run();  // the close
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Error: timed out waiting for data"}));
    EXPECT_EQ(request.GetExitCode(), kExitPort);
    EXPECT_TRUE(request.IsFinished());
    EXPECT_FALSE(host.IsRunning(CConsoleRequest::TIMER_DIALOGUE));
    EXPECT_NE(host.Errors().find("no answer to AT on COM5 within 5 s"), std::string::npos);
}

TEST_F(Console, SilenceAfterTheHandshakeIsCancelledByTheTimeOut)
{
    request.Send(Numbers({"111"}), WSTR("Hi"));
    Serve([](const std::string& c) { return c.compare(0, 8, "AT+CMGS=") == 0 ? std::string() : std::string("-"); });
    EXPECT_EQ(host.m_timers[CConsoleRequest::TIMER_DIALOGUE], 120000u);  // the tool's --timeout
    request.OnTimer(CConsoleRequest::TIMER_DIALOGUE);
    EXPECT_FALSE(request.IsFinished());  // until the close is announced
    phone.Run();
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Canceled"}));
    EXPECT_TRUE(request.IsFinished());
    EXPECT_EQ(request.GetExitCode(), kExitTimeout);
    EXPECT_EQ(host.Errors(), "timed out: no answer from the phone for 120 s; the request was cancelled\n");
    // Cancelled as the window's Cancel does: the read dropped, the phone's
    // wait for a PDU ended with ESC, the port closed.
    const Strings tail(queue.m_log.end() - 3, queue.m_log.end());
    EXPECT_EQ(tail, Strings({"cancel", "write \x1B", "close"}));
    EXPECT_TRUE(host.m_timers.empty());
}

// A phone that keeps sending what is no answer (a repeated OK, its echo,
// blank lines, unsolicited codes) does not hold the tool: only the answers
// it owes restart the time-out.
TEST_F(Console, OnlyAnswersRestartTheTimeOut)
{
    request.Send(Numbers({"111"}), WSTR("Hi"));
    EXPECT_FALSE(host.IsRunning(CConsoleRequest::TIMER_DIALOGUE));  // not before the open
    phone.Run();
    EXPECT_EQ(host.m_timers[CConsoleRequest::TIMER_DIALOGUE], 5000u);
    phone.Reply("\r\nOK\r\n");
    phone.Reply("\r\nOK\r\n");
    phone.Reply("\r\nOK\r\n");  // AT+CMGS=15 sent
    const unsigned nStarts = host.m_nStarts[CConsoleRequest::TIMER_DIALOGUE];
    EXPECT_EQ(host.m_timers[CConsoleRequest::TIMER_DIALOGUE], 120000u);
    for (const char* burst : {"\r\nOK\r\n", "\r\n", "\r\n+CMTI: \"SM\",3\r\n", "\r\nOK\r\n"})
        ASSERT_TRUE(phone.Reply(burst)) << burst;
    EXPECT_EQ(host.m_nStarts[CConsoleRequest::TIMER_DIALOGUE], nStarts);
    phone.Reply("\r\n> ");  // progress: the PDU is sent
    EXPECT_EQ(host.m_nStarts[CConsoleRequest::TIMER_DIALOGUE], nStarts + 1);
}

TEST_F(Console, APortThatNeverClosesIsGivenUp)
{
    request.TestPort();
    phone.Reply("\r\nOK\r\n");
    request.OnTimer(CConsoleRequest::TIMER_DIALOGUE);
    EXPECT_FALSE(request.IsFinished());
    EXPECT_EQ(host.m_timers[CConsoleRequest::TIMER_CLOSE], CConsoleRequest::kCloseGraceMs);
    request.OnTimer(CConsoleRequest::TIMER_CLOSE);  // the close is never announced
    EXPECT_TRUE(request.IsFinished());
    EXPECT_EQ(request.GetExitCode(), kExitTimeout);
    EXPECT_EQ(host.m_lines.back(), "Canceled");
}

TEST_F(Console, PhonebookPrintedOnceComplete)
{
    request.DownloadPhonebook();
    Serve([this](const std::string& c) -> std::string {
        if (c == "AT+CPBR=?\r\n")
            return "\r\n+CPBR: (1-3),40,14\r\n\r\nOK\r\n";
        if (c == "AT+CPBR=1,3\r\n") {
            EXPECT_EQ(host.m_lines.back(), "Downloading phonebook...");
            return "\r\n+CPBR: 1,\"5551234\",129,\"Anna\"\r\n+CPBR: 3,\"4930\",145,\"Tab\\09and \\22q\\22\tx\"\r\n"
                   "\r\nOK\r\n";
        }
        return "-";
    });
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Downloading phonebook...", "Anna\t5551234",
                                     "Tab and \"q\" x\t+4930", "Phonebook downloaded"}));
    EXPECT_EQ(request.GetExitCode(), kExitOk);
    ASSERT_EQ(request.GetPhonebook().size(), 2u);
    EXPECT_EQ(request.GetPhonebook()[1].m_strName, WSTR("Tab and \"q\"\tx"));  // kept as the phone has it
}

TEST_F(Console, FailedPhonebookPrintsNoEntries)
{
    request.DownloadPhonebook();
    Serve([](const std::string& c) -> std::string {
        if (c == "AT+CPBR=?\r\n")
            return "\r\n+CPBR: (1-40),40,14\r\n\r\nOK\r\n";
        if (c == "AT+CPBR=21,40\r\n")
            return "\r\n+CME ERROR: 21\r\n";
        if (c == "AT+CPBR=1,20\r\n")
            return "\r\n+CPBR: 1,\"5551234\",129,\"Anna\"\r\n\r\nOK\r\n";
        return "-";
    });
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Downloading phonebook...",
                                     "Failed to download phonebook: invalid index (+CME ERROR: 21)"}));
    EXPECT_EQ(request.GetExitCode(), kExitFailed);
}

TEST_F(Console, DeviceTestRefused)
{
    request.TestPort();
    Serve([](const std::string& c) { return c == "AT+CGMI\r\n" ? std::string("\r\nERROR\r\n") : std::string("-"); });
    EXPECT_EQ(host.m_lines, Strings({"Connecting...", "Handshaking...", "Failed to get model"}));
    EXPECT_EQ(request.GetExitCode(), kExitFailed);
}

TEST_F(Console, EchoAndLateOkInBurstsOfTheirOwn)
{
    request.Send(Numbers({"111"}), WSTR("Hi"));
    // Echo on at first: "AT" alone, then its answer; the OK after +CMGS late.
    phone.Reply("AT\r");
    phone.Reply("\r\nOK\r\n");
    phone.Reply("ATE0\r\r\nOK\r\n");
    phone.Reply("\r\nOK\r\n");
    phone.Reply("\r\n> ");
    phone.Reply("\r\n+CMGS: 9\r\n");
    phone.Reply("\r\nOK\r\n");  // in ST_DONE: ignored
    phone.Run();
    EXPECT_EQ(host.m_lines.back(), "Message sent to 111");
    EXPECT_EQ(request.GetExitCode(), kExitOk);
    EXPECT_TRUE(request.IsFinished());
}

// What reaches the terminal of a text from the phone: no control but the
// tab, nothing that turns the line around or hides in it.
TEST(ConsoleOutput, ControlsAreEscaped)
{
    const struct {
        const char* pszLine;
        const char* pszShown;
    } cases[] = {
        {"\x1B]0;owned\x07 \x1B[2J\tnext", "\\x1B]0;owned\\x07 \\x1B[2J\tnext"},  // ESC, BEL; the tab stays
        {"\xC2\x9B" "2J \xC2\x85 \xC2\x80\xC2\x9F", "\\u009B2J \\u0085 \\u0080\\u009F"},  // C1 in UTF-8
        {"\x01\x1F\r\n\x7F", "\\x01\\x1F\\x0D\\x0A\\u007F"},
        {"Anna\xE2\x80\xAE" "54321\t+49", "Anna\\u202E54321\t+49"},  // RLO would show the number reversed
        {"\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\xAA\xE2\x81\xA6\xE2\x81\xA9\xD8\x9C",
         "\\u200E\\u200F\\u202A\\u2066\\u2069\\u061C"},
        {"caf\xC3\xA9 \xC2\xA0 \xE2\x82\xAC \xE2\x80\x94 \xE2\x81\xA5 \\x1B",
         "caf\xC3\xA9 \xC2\xA0 \xE2\x82\xAC \xE2\x80\x94 \xE2\x81\xA5 \\x1B"},  // kept
        {"{\"text\":\"\\u001b\xC2\x85\x7F\"}", "{\"text\":\"\\u001b\\u0085\\u007F\"}"},  // JSON stays JSON
    };
    for (const auto& c : cases)
        EXPECT_EQ(TerminalSafe(c.pszLine), c.pszShown) << c.pszLine;
    EXPECT_EQ(TerminalSafeTrace("Transferred: '\x1B]0;x\x07'\n"), "Transferred: '\\x1B]0;x\\x07'\n");
}

} // namespace
