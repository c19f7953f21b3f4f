// The modem driver's common frame: open, handshake, time-out, failures,
// transport errors and cancel, seen from the phone's side of the port and
// from the owner's (the sink).
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "sms/Msg.h"
#include "support/ModemHarness.h"
#include "support/TraceCapture.h"

namespace {

typedef std::vector<std::string> Strings;

struct Handshake : ::testing::Test {
    CModemRig rig;
    CMsg msg{WSTR("Hi"), WString(), WSTR("0123456789")};

    void SetUp() override { ResetMsgReferences(); }
    void StartSend() { rig.Send(msg); }
};

TEST_F(Handshake, OpenAnnouncedStartsWithAtAndArmsTheTimer)
{
    StartSend();
    EXPECT_EQ(rig.queue.m_log, Strings({"open COM5"}));
    EXPECT_EQ(rig.queue.m_queue.front()->dwSizeBuf, 5u);  // the name and its terminating zero
    EXPECT_TRUE(rig.sink.m_calls.empty());  // nothing until the open is announced
    rig.phone.Run();
    EXPECT_EQ(rig.queue.m_log,
              Strings({"open COM5", "cancel", "write AT\r\n", "read 512"}));
    EXPECT_EQ(rig.sink.m_calls, Strings({"Handshaking", "SetTimeout 5000"}));
    EXPECT_TRUE(rig.modem.IsAwaitingHandshake());
}

// Every accepted row of the "AT" table leads to "ATE0"; the echo alone reads again.
TEST_F(Handshake, AtTableAcceptedRows)
{
    for (const char* reply : {"OK", "\r\nOK\r\n", "AT\r\r\nOK\r\n", "\r\nOK\r\n\r\nOK\r\n", " \t OK \v\f"}) {
        CModemRig r;
        r.Send(msg);
        ASSERT_TRUE(r.phone.Reply(reply)) << reply;
        EXPECT_EQ(r.phone.m_writes, HandshakeWrites()) << reply;
        EXPECT_EQ(r.modem.GetState(), CModem::EState::ST_ECHO_OFF) << reply;
        EXPECT_FALSE(r.modem.IsAwaitingHandshake());
        // The answer is progress: the next one gets the progress time-out.
        EXPECT_EQ(r.sink.m_calls, Strings({"Handshaking", "SetTimeout 5000", "SetTimeout 60000"})) << reply;
    }
}

TEST_F(Handshake, EchoSplitFromTheAnswerReadsAgain)
{
    StartSend();
    rig.phone.Reply("AT\r");
    EXPECT_EQ(rig.phone.m_writes, Strings({"AT\r\n"}));
    EXPECT_TRUE(rig.phone.IsReadPending());
    EXPECT_TRUE(rig.modem.IsAwaitingHandshake());
    rig.phone.Reply("\r\nOK\r\n");
    rig.phone.Reply("ATE0\r");
    EXPECT_EQ(rig.phone.m_writes, HandshakeWrites());
    rig.phone.Reply("\r\nOK\r\n");
    EXPECT_EQ(rig.phone.m_writes, HandshakeWrites({"AT+CMGF=0\r\n"}));
}

TEST_F(Handshake, EchoOffTableAcceptedRowsChooseTheRequestCommand)
{
    struct Case {
        EJob eRequest;
        const char* pszCommand;
    } cases[] = {{EJob::SEND, "AT+CMGF=0\r\n"},
                 {EJob::SAVE, "AT+CMGF=0\r\n"},
                 {EJob::PHONEBOOK, "AT+CSCS=\"UTF-8\"\r\n"},
                 {EJob::DEVICE_TEST, "AT+CGMI\r\n"}};
    for (const Case& c : cases) {
        for (const char* reply : {"\r\nOK\r\n", "ATE0\r\r\nOK\r\n", "OK\r\n\r\nOK"}) {
            CModemRig r;
            switch (c.eRequest) {
            case EJob::SEND: r.Send(msg); break;
            case EJob::SAVE: r.Save(msg); break;
            case EJob::PHONEBOOK: r.Start(EJob::PHONEBOOK); break;
            default: r.Start(EJob::DEVICE_TEST); break;
            }
            r.phone.Reply("OK");
            r.phone.Reply(reply);
            EXPECT_EQ(r.phone.m_writes, HandshakeWrites({c.pszCommand})) << reply;
            EXPECT_TRUE(r.phone.IsReadPending());
            EXPECT_EQ(r.sink.Count("RequestFailed"), 0u);
        }
    }
}

// A final error code fails the request with "OK" as the expected text and
// the reply as received; any other line (compared exactly, case-sensitive,
// after trimming) is passed over, and the answer is still awaited until the
// time-out. A second "OK" in the same read came before the next command.
TEST_F(Handshake, RepliesOtherThanOkFailOrArePassedOver)
{
    const struct {
        const char* pszReply;
        bool bFails;
    } cases[] = {
        {"ERROR", true}, {"\r\n+CME ERROR: 3\r\n", true}, {"\r\nCOMMAND NOT SUPPORT\r\n", true},
        {"ok", false}, {"OK.", false}, {"AT OK", false}, {"O K", false}, {"A", false}, {"OK\r\nOK", false},
    };
    for (const auto& c : cases) {
        for (int nStep = 0; nStep < 2; ++nStep) {
            CTraceCapture trace;
            CModemRig r;
            r.Send(msg);
            if (nStep == 1)
                r.phone.Reply("OK");
            r.phone.Reply(c.pszReply);
            const std::string strWhat = std::string(c.pszReply) + " " + std::to_string(nStep);
            if (std::string(c.pszReply) == "OK\r\nOK") {
                EXPECT_EQ(r.phone.m_writes.size(), static_cast<size_t>(nStep + 2)) << strWhat;
                continue;
            }
            EXPECT_EQ(r.phone.m_writes.size(), static_cast<size_t>(nStep + 1)) << strWhat;  // nothing more sent
            if (!c.bFails) {
                EXPECT_TRUE(r.phone.IsReadPending()) << strWhat;
                EXPECT_EQ(r.sink.Count("RequestFailed"), 0u) << strWhat;
                continue;
            }
            EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << strWhat;
            EXPECT_EQ(r.sink.m_calls.back(), "RequestEnded") << strWhat;
            EXPECT_EQ(r.queue.Count("close"), 1u);
            EXPECT_FALSE(r.phone.IsReadPending());
            EXPECT_TRUE(CTraceCapture::HasReported("!\"CSmsException\"\n"));
            EXPECT_EQ(r.sink.m_lastFailure.m_strExpected, WSTR("OK"));
            EXPECT_EQ(WideToAnsi(r.sink.m_lastFailure.m_strReceived), TrimWhite(c.pszReply));
        }
    }
}

TEST_F(Handshake, FailureInTheFirstStepKillsTheTimerBeforeTelling)
{
    rig.Start(EJob::DEVICE_TEST, WSTR("COM7"));
    rig.phone.Reply("\r\nERROR\r\n");
    EXPECT_EQ(rig.sink.m_calls,
              Strings({"Handshaking", "SetTimeout 5000", "KillTimeout", "RequestFailed", "RequestEnded"}));
}

TEST_F(Handshake, TimerEndsTheRequestWhileTheAtIsUnanswered)
{
    StartSend();
    rig.phone.Run();
    rig.modem.OnTimer();
    EXPECT_EQ(rig.sink.m_calls, Strings({"Handshaking", "SetTimeout 5000", "KillTimeout", "TimedOut"}));
    EXPECT_EQ(rig.queue.m_log.back(), "close");
    EXPECT_EQ(rig.queue.m_log[rig.queue.m_log.size() - 2], "cancel");
    EXPECT_FALSE(rig.phone.IsReadPending());  // the read was aborted, the close announced
    EXPECT_EQ(rig.sink.m_calls.back(), "RequestEnded");
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u);
}

TEST_F(Handshake, OnceAtIsAnsweredTheTimerWaitsForTheNextAnswer)
{
    StartSend();
    rig.phone.Reply("OK");  // now waiting for the answer to ATE0, which never comes
    EXPECT_FALSE(rig.modem.IsAwaitingHandshake());
    EXPECT_EQ(rig.sink.Timer(), CModem::kProgressTimeout);
    rig.sink.m_calls.clear();
    rig.modem.OnTimer();
    const Strings tail(rig.queue.m_log.end() - 2, rig.queue.m_log.end());
    EXPECT_EQ(tail, Strings({"cancel", "close"}));
    EXPECT_FALSE(rig.phone.IsReadPending());
    EXPECT_EQ(rig.sink.m_calls, Strings({"KillTimeout", "TimedOut", "RequestEnded"}));
}

// Only an awaited answer gives the next one the whole progress time-out: a
// repeated OK, an echo, a blank line or an unsolicited code does not.
TEST_F(Handshake, OnlyAwaitedAnswersRestartTheTimer)
{
    rig.modem.SetProgressTimeout(7000);
    StartSend();
    const struct {
        const char* pszBurst;
        bool bProgress;
    } steps[] = {
        {"AT\r", false},       {"\r\nRING\r\n", false}, {"\r\nOK\r\n", true},  // AT
        {"ATE0\r", false},     {"\r\n", false},           {"\r\nOK\r\n", true},  // ATE0
        {"\r\n", false},       {"\r\nOK\r\n", true},                              // AT+CMGF=0
        {"\r\nOK\r\n", false}, {"\r\n+CMTI: \"SM\",1\r\n", false}, {"\r\n> ", false},  // AT+CMGS
        {"\r\nOK\r\n", false}, {"\r\n+CREG: 1\r\n", false},  // the PDU, awaited for the network
    };
    for (const auto& step : steps) {
        const size_t nArmed = rig.sink.Count("SetTimeout 7000");
        ASSERT_TRUE(rig.phone.Reply(step.pszBurst)) << step.pszBurst;
        EXPECT_EQ(rig.sink.Count("SetTimeout 7000"), nArmed + step.bProgress) << step.pszBurst;
        EXPECT_EQ(rig.sink.Count("KillTimeout"), 0u);
    }
    EXPECT_EQ(rig.sink.Count("SetTimeout 180000"), 1u);  // the prompt: the PDU went out
    EXPECT_EQ(rig.sink.Timer(), CModem::kSubmitTimeout);
    rig.phone.Reply("\r\n+CMGS: 3\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.sink.Events().back(), "RequestEnded");
    EXPECT_EQ(rig.sink.Timer(), 0u);  // killed with the close
}

// In every state after the handshake, of every request: no awaited answer
// within the time-out ends the request as the handshake's time-out does.
TEST_F(Handshake, NoAnswerInAnyLaterStateEndsTheRequest)
{
    for (EJob eRequest : {EJob::SEND, EJob::SAVE, EJob::PHONEBOOK, EJob::DEVICE_TEST}) {
        for (size_t nAnswered = 1;; ++nAnswered) {
            CModemRig r;
            CMsg two(WString(161, WChar('x')), WString(), WSTR("12345"));
            switch (eRequest) {
            case EJob::SEND: r.Send(two); break;
            case EJob::SAVE: r.Save(two); break;
            case EJob::PHONEBOOK: r.Start(EJob::PHONEBOOK); break;
            default: r.Start(EJob::DEVICE_TEST); break;
            }
            for (size_t i = 0; i < nAnswered && r.phone.IsReadPending(); ++i)
                r.phone.Reply(CPhoneLink::Answer(r.phone.m_writes.back()));
            if (!r.phone.IsReadPending())
                break;  // every answer came: done
            const std::string strWaiting = r.phone.m_writes.back();
            // The network's answer to a PDU may take minutes, and without it
            // the message is not confirmed, never failed.
            const bool bPdu = strWaiting.back() == '\x1A' && eRequest == EJob::SEND;
            ASSERT_EQ(r.sink.Timer(), bPdu ? CModem::kSubmitTimeout : CModem::kProgressTimeout) << strWaiting;
            r.modem.OnTimer();
            EXPECT_FALSE(r.phone.IsReadPending()) << strWaiting;
            EXPECT_EQ(r.queue.m_log.back(), "close") << strWaiting;
            const Strings events = r.sink.Events();
            EXPECT_EQ(Strings(events.end() - 2, events.end()),
                      Strings({bPdu ? "NotConfirmed" : "TimedOut", "RequestEnded"})) << strWaiting;
            EXPECT_EQ(r.sink.Count("RequestFailed"), 0u);
        }
    }
}

TEST_F(Handshake, TimerDoesNothingBeforeTheOpenOrAfterAFailure)
{
    StartSend();  // open queued, not yet announced
    rig.modem.OnTimer();
    EXPECT_EQ(rig.sink.m_calls, Strings({"KillTimeout"}));
    EXPECT_EQ(rig.queue.m_log.size(), 1u);

    rig.phone.Reply("ERROR");  // fails in the first step; the state stays there
    rig.sink.m_calls.clear();
    const size_t nOps = rig.queue.m_log.size();
    rig.modem.OnTimer();
    EXPECT_EQ(rig.sink.m_calls, Strings({"KillTimeout"}));
    EXPECT_EQ(rig.queue.m_log.size(), nOps);
}

TEST_F(Handshake, TransportErrorEndsTheRequestAndTheNextOneWorks)
{
    StartSend();
    ASSERT_TRUE(rig.phone.FailNext(2));  // the port does not exist
    EXPECT_EQ(rig.sink.m_calls, Strings({"RequestEnded"}));
    EXPECT_EQ(rig.queue.Count("close"), 1u);

    rig.sink.m_calls.clear();
    rig.phone.m_writes.clear();
    StartSend();
    rig.Handshake();
    EXPECT_EQ(rig.phone.m_writes, HandshakeWrites({"AT+CMGF=0\r\n"}));
}

TEST_F(Handshake, TransportErrorOfAWriteDropsTheReadQueuedAfterIt)
{
    StartSend();
    rig.phone.Reply("OK");
    rig.phone.Reply("OK");  // "AT+CMGF=0" and its read are queued
    rig.sink.m_calls.clear();
    ASSERT_TRUE(rig.phone.FailNext(31));
    EXPECT_FALSE(rig.phone.IsReadPending());
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.sink.m_calls, Strings({"KillTimeout", "RequestEnded"}));
}

TEST_F(Handshake, TransportErrorInTheFirstStepKillsTheTimer)
{
    StartSend();
    rig.phone.Run();
    ASSERT_TRUE(rig.phone.FailNext(1167));  // the read: the device went away
    EXPECT_EQ(rig.sink.m_calls, Strings({"Handshaking", "SetTimeout 5000", "KillTimeout", "RequestEnded"}));
    rig.sink.m_calls.clear();
    rig.modem.OnTimer();  // a late tick must not cancel anything
    EXPECT_EQ(rig.sink.m_calls, Strings({"KillTimeout"}));
}

TEST_F(Handshake, FailedCloseStillEndsTheRequest)
{
    StartSend();
    rig.phone.Reply("ERROR");
    ASSERT_EQ(rig.sink.Count("RequestEnded"), 1u);
    rig.modem.Cancel();  // a second close, which fails
    ASSERT_TRUE(rig.phone.FailNext(6));
    EXPECT_EQ(rig.sink.Count("RequestEnded"), 2u);
    EXPECT_EQ(rig.queue.Count("close"), 2u);
}

TEST_F(Handshake, CancelDuringTheOpenIsNotUndone)
{
    StartSend();
    rig.modem.Cancel();  // the open is already in progress: it is still announced
    rig.queue.m_log.clear();
    rig.queue.m_queue.emplace_front(new CSerialOp(EOpKind::OP_OPEN, std::string("COM5", 5)));
    rig.phone.Run();
    EXPECT_TRUE(rig.phone.m_writes.empty());  // no "AT" after the cancel
    EXPECT_EQ(rig.queue.m_log, Strings());
    EXPECT_EQ(rig.sink.m_calls, Strings({"RequestEnded"}));
}

TEST_F(Handshake, CancelIgnoresABurstAlreadyOnItsWay)
{
    StartSend();
    rig.phone.Reply("OK");
    rig.phone.Reply("OK");
    rig.phone.Reply("OK");  // "AT+CMGS=15\r" sent, waiting for the prompt
    std::unique_ptr<CSerialOp> late(new CSerialOp(EOpKind::OP_READ, std::string("> ")));
    rig.modem.Cancel();
    rig.phone.Run();
    rig.modem.OnOperationComplete(std::move(late), nullptr);
    // No PDU after the cancel, and ESC ends the PDU the phone waits for.
    EXPECT_EQ(rig.phone.m_writes, HandshakeWrites({"AT+CMGF=0\r\n", "AT+CMGS=15\r", "\x1B"}));
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.sink.Count("RequestEnded"), 1u);
    EXPECT_EQ(rig.sink.Count("Sending"), 0u);
}

TEST_F(Handshake, CancelWithoutARequestStillEndsWithTheClose)
{
    rig.modem.Cancel();
    rig.phone.Run();
    EXPECT_EQ(rig.queue.m_log, Strings({"cancel", "close"}));
    EXPECT_EQ(rig.sink.m_calls, Strings({"RequestEnded"}));
}

TEST_F(Handshake, RequestWhileAnotherRunsIsReported)
{
    CTraceCapture trace;
    StartSend();
    rig.phone.Reply("OK");
    EXPECT_TRUE(CTraceCapture::Pairs().empty());
    rig.Start(EJob::DEVICE_TEST);
    EXPECT_TRUE(CTraceCapture::HasReported("m_eState == EState::ST_DONE || m_eState == EState::ST_LISTENING || m_bClosing\n"));
}

TEST_F(Handshake, WritesAndThePortListNeedNothing)
{
    rig.modem.OnOperationComplete(std::make_unique<CSerialOp>(EOpKind::OP_ENUM_PORTS, 0u), nullptr);
    rig.modem.OnOperationComplete(std::make_unique<CSerialOp>(EOpKind::OP_WRITE, std::string("AT\r\n")), nullptr);
    rig.modem.OnOperationComplete(std::make_unique<CSerialOp>(EOpKind::OP_ENUM_PORTS, 0u),
                                  std::make_unique<CSerialPortException>(5));
    EXPECT_TRUE(rig.queue.m_log.empty());
    EXPECT_TRUE(rig.sink.m_calls.empty());
}

} // namespace

namespace {

// A phone whose SIM wants its PIN (1234) before AT+CMGS or AT+CPBR: it
// answers each command from its script, in turn; the rest as usual.
struct CPinPhone {
    CModemRig rig;
    std::map<std::string, Strings> script;

    // Serves until the driver waits (for the user or a pause) or ends.
    void Serve()
    {
        rig.phone.Serve([this](const std::string& strCommand) {
            Strings& answers = script[strCommand];
            if (answers.empty())
                return std::string("-");
            const std::string strAnswer = answers.front();
            answers.erase(answers.begin());
            return strAnswer;
        });
    }
    size_t Writes(const std::string& strCommand) const { return rig.phone.Count(strCommand); }
};

const char kPinQuery[] = "AT+CPIN?\r\n";
const char kLocked[] = "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n";
const char kReady[] = "\r\n+CPIN: READY\r\n\r\nOK\r\n";

TEST(Sim, ThePinIsAskedGivenOnceAndTheRefusedStepRepeated)
{
    CPinPhone p;
    p.script["AT+CMGS=15\r"] = {"\r\n+CMS ERROR: 311\r\n"};
    p.script[kPinQuery] = {kLocked, "\r\n+CME ERROR: 14\r\n", kReady};
    CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
    p.rig.Send(msg);
    p.Serve();
    EXPECT_EQ(p.rig.sink.Events().back(), "PinRequired");
    EXPECT_EQ(p.rig.sink.Timer(), 0u);  // the user may take long
    p.rig.modem.EnterPin("1234");
    // The phone's echo of the PIN comes in two reads: no read is traced until the command's final result.
    p.rig.phone.Reply("AT+CPIN=\"12");
    p.rig.phone.Reply("34\"\r\r\nOK\r\n");
    const Strings& log = p.rig.queue.m_log;
    const auto pin = std::find(log.begin(), log.end(), "write AT+CPIN=\"1234\"\r\n");
    const auto query = std::find(pin, log.end(), "write AT+CPIN?\r\n");
    ASSERT_NE(query, log.end());
    EXPECT_EQ(Strings(pin + 1, query + 2), Strings({"read 512 secret", "read 512 secret", *query, "read 512"}));
    p.Serve();  // the PIN taken; the SIM busy a moment
    EXPECT_EQ(p.rig.sink.Timer(), CPinStep::kPollPause);
    p.rig.modem.OnTimer();
    p.Serve();
    EXPECT_EQ(p.Writes("AT+CPIN=\"1234\"\r\n"), 1u);
    EXPECT_EQ(p.Writes("AT+CMGS=15\r"), 2u);  // refused, then again
    EXPECT_EQ(p.rig.sink.Count("MessageSent"), 1u);
    EXPECT_EQ(p.rig.sink.Events().back(), "RequestEnded");
}

TEST(Sim, ARefusedPinIsNeverGivenAgain)
{
    CPinPhone p;
    p.script["AT+CPBR=?\r\n"] = {"\r\n+CME ERROR: 11\r\n"};
    p.script[kPinQuery] = {kLocked, kLocked, kReady};
    p.script["AT+CPIN=\"1111\"\r\n"] = {"\r\n+CME ERROR: 16\r\n"};
    p.rig.Start(EJob::PHONEBOOK);
    p.Serve();
    p.rig.modem.EnterPin("1111");
    p.Serve();
    EXPECT_EQ(p.rig.sink.Events().back(), "PinRefused");
    p.rig.modem.EnterPin("1111");  // the same again: not written, asked again
    EXPECT_EQ(p.rig.sink.Count("PinRefused"), 2u);
    p.rig.modem.EnterPin("12a4");  // no PIN at all
    EXPECT_EQ(p.rig.sink.Count("PinRefused"), 3u);
    p.rig.modem.EnterPin("1234");
    p.Serve();
    EXPECT_EQ(p.Writes("AT+CPIN=\"1111\"\r\n"), 1u);
    EXPECT_EQ(p.Writes("AT+CPBR=?\r\n"), 2u);
    EXPECT_EQ(p.rig.sink.Count("PhonebookDownloaded"), 1u);
}

// No PIN from the user, a SIM that wants its PUK, a SIM never ready: the
// request fails, with the reason.
TEST(Sim, WithoutThePinTheRequestFailsWithTheReason)
{
    const struct {
        Strings queries;  // the answers to AT+CPIN?
        bool bDecline;
        const char* pszReason;
    } cases[] = {
        {{kLocked}, true, "SIM PIN required"},
        {{"\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"}, false, "the SIM is locked: unlock it with its PUK in a phone, then try again"},
        {{"\r\n+CPIN: PH-SIM PIN\r\n\r\nOK\r\n"}, false, "the SIM wants its PH-SIM PIN"},
        {{"\r\nERROR\r\n"}, false, "SIM PIN required (+CMS ERROR: 311)"},
    };
    for (const auto& c : cases) {
        CPinPhone p;
        p.script["AT+CMGS=15\r"] = {"\r\n+CMS ERROR: 311\r\n"};
        p.script[kPinQuery] = c.queries;
        CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
        p.rig.Send(msg);
        p.Serve();
        if (c.bDecline)
            p.rig.modem.DeclinePin();
        p.rig.phone.Run();
        EXPECT_EQ(p.rig.sink.Count("RequestFailed"), 1u) << c.pszReason;
        EXPECT_EQ(WideToUtf8(p.rig.sink.m_lastFailure.m_strReason), c.pszReason);
        EXPECT_EQ(p.rig.sink.Events().back(), "RequestEnded");
        EXPECT_EQ(p.rig.phone.m_strWritten.find("AT+CPIN=\""), std::string::npos);
    }
}

// A SIM busy for a moment after the start delays any request's command, 2 s
// and then 5 s; a third refusal ends it.
TEST(Sim, ABusySimDelaysTheCommand)
{
    for (unsigned nRefusals : {1u, 2u, 3u}) {
        CPinPhone p;
        p.script["AT+CSCS=\"UTF-8\"\r\n"] = Strings(nRefusals, "\r\n+CME ERROR: 14\r\n");
        p.rig.Start(EJob::PHONEBOOK);
        std::vector<uint32_t> delays;
        for (p.Serve(); p.rig.modem.GetState() == CModem::EState::ST_RETRY_WAIT; p.Serve()) {
            delays.push_back(p.rig.sink.Timer());
            p.rig.modem.OnTimer();
        }
        const std::vector<uint32_t> expected = {2000, 5000};
        EXPECT_EQ(delays, std::vector<uint32_t>(expected.begin(), expected.begin() + std::min(nRefusals, 2u)));
        EXPECT_EQ(p.rig.sink.Count("PhonebookDownloaded"), nRefusals < 3 ? 1u : 0u) << nRefusals;
        EXPECT_EQ(p.rig.sink.Count("RequestFailed"), nRefusals < 3 ? 0u : 1u) << nRefusals;
    }
}

} // namespace
