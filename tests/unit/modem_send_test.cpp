// Sending and storing a message: the exact bytes the phone receives, the
// part numbers and notifications the owner gets, and when the port closes.
#include <gtest/gtest.h>

#include <algorithm>

#include "sms/Msg.h"
#include "support/ModemHarness.h"
#include "support/TraceCapture.h"

namespace {

typedef std::vector<std::string> Strings;

const char kPrompt[] = "\r\n> ";
const char kAck[] = "\r\n+CMGS: 17\r\n\r\nOK\r\n";
const char kStored[] = "\r\n+CMGW: 3\r\n\r\nOK\r\n";

WString Text(size_t nChars)
{
    return WString(nChars, WChar('a'));
}

struct Send : ::testing::Test {
    CModemRig rig;

    void SetUp() override { ResetMsgReferences(); }

    void Start(CMsg& msg, bool bSave = false)
    {
        if (bSave)
            rig.Save(msg);
        else
            rig.Send(msg);
        rig.Handshake();
        rig.phone.Reply("\r\nOK\r\n");  // AT+CMGF=0
    }

    void AnswerParts(unsigned nParts, const char* pszAck = kAck)
    {
        for (unsigned i = 0; i < nParts; ++i) {
            ASSERT_TRUE(rig.phone.Reply(kPrompt));
            ASSERT_TRUE(rig.phone.Reply(pszAck));
        }
    }

    // The writes after the handshake and "AT+CMGF=0".
    Strings PartWrites() const
    {
        const Strings& w = rig.phone.m_writes;
        return Strings(w.begin() + (w.size() > 3 ? 3 : w.size()), w.end());
    }
};

TEST_F(Send, SingleMessageExactBytes)
{
    CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
    Start(msg);
    AnswerParts(1);
    EXPECT_EQ(rig.phone.m_strWritten,
              std::string(kSendStart) + "AT+CMGS=15\r0011F10A8110325476980000AA02C834\x1A");
    EXPECT_EQ(rig.sink.Events(),
              Strings({"Handshaking", "Sending", "MessageSent",
                       "RequestEnded"}));
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.queue.m_log.back(), "close");
    EXPECT_EQ(rig.modem.GetState(), CModem::EState::ST_DONE);
}

TEST_F(Send, InternationalNumberAndEmptyText)
{
    CMsg msg(WString(), WString(), WSTR("+4912345"));
    Start(msg);
    AnswerParts(1);
    // 07 digits, type 91, 94 21 43 F5; TP-UDL 00 and no user data.
    EXPECT_EQ(PartWrites(), Strings({"AT+CMGS=12\r", "0011F10791942143F50000AA00\x1A"}));
}

TEST_F(Send, TwoPartsOf153And8Septets)
{
    CMsg msg(Text(161), WString(), WSTR("0123456789"));
    Start(msg);
    AnswerParts(2);
    const Strings w = PartWrites();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0], "AT+CMGS=153\r");
    EXPECT_EQ(w[1].substr(0, 40), "0051F10A8110325476980000AAA0050003F10201");
    EXPECT_EQ(w[1].size(), 2 * (1 + 153) + 1u);
    EXPECT_EQ(w[2], "AT+CMGS=27\r");
    EXPECT_EQ(w[3].substr(0, 40), "0051F10A8110325476980000AA0F050003F10202");
    EXPECT_EQ(w[3].size(), 2 * (1 + 27) + 1u);
    for (const std::string& pdu : {w[1], w[3]}) {
        EXPECT_EQ(pdu.back(), '\x1A');
        EXPECT_EQ(pdu.find_first_of("\r\n"), std::string::npos);
    }
    EXPECT_EQ(rig.sink.Events(),
              Strings({"Handshaking", "SendingPart 1", "MessageSent",
                       "SendingPart 2", "MessageSent", "RequestEnded"}));
    EXPECT_EQ(rig.phone.m_strWritten.find("AT+CMGF=0"), rig.phone.m_strWritten.rfind("AT+CMGF=0"));
}

TEST_F(Send, ThreePartsCloseOnceAfterTheLast)
{
    CMsg msg(Text(307), WString(), WSTR("12345"));
    Start(msg);
    for (unsigned nPart = 1; nPart <= 3; ++nPart) {
        ASSERT_TRUE(rig.phone.Reply(kPrompt));
        EXPECT_EQ(rig.sink.Events().back(), "SendingPart " + std::to_string(nPart));
        EXPECT_EQ(rig.queue.Count("close"), 0u);
        ASSERT_TRUE(rig.phone.Reply(kAck));
    }
    const Strings w = PartWrites();
    ASSERT_EQ(w.size(), 6u);
    // Parts of 153, 153 and 1 septets to a five-digit number.
    EXPECT_EQ(w[0], "AT+CMGS=151\r");
    EXPECT_EQ(w[2], "AT+CMGS=151\r");
    EXPECT_EQ(w[4], "AT+CMGS=18\r");
    EXPECT_EQ(w[5], "0051F105812143F50000AA08050003F10303C2\x1A");
    EXPECT_EQ(rig.sink.Count("MessageSent"), 3u);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.sink.Count("RequestEnded"), 1u);
}

TEST_F(Send, Ucs2TextInTwoParts)
{
    CMsg msg(WString(71, WChar(0x416)), WString(), WSTR("12345"));  // 71 Cyrillic letters
    Start(msg);
    AnswerParts(2);
    const Strings w = PartWrites();
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[0], "AT+CMGS=151\r");  // 67 code units after the header: 140 octets
    EXPECT_EQ(w[2], "AT+CMGS=25\r");
    EXPECT_EQ(w[3], "0051F105812143F50008AA0E050003F10202" "0416041604160416\x1A");
    EXPECT_EQ(rig.sink.Events(), Strings({"Handshaking", "SendingPart 1",
                                         "MessageSent", "SendingPart 2", "MessageSent", "RequestEnded"}));
}

// The next job is asked for once the last part is in: none, and the port is
// closed; a burst that comes late belongs to nothing.
TEST_F(Send, AfterTheLastPartTheNextJobOrTheCloseAndLateReadsAreIgnored)
{
    int nAsked = 0;
    rig.sink.m_onJobDone = [&](CModemLink&) {
        ++nAsked;
        return nullptr;
    };
    CMsg msg(Text(200), WString(), WSTR("12345"));
    Start(msg);
    AnswerParts(1);
    EXPECT_EQ(nAsked, 0);
    AnswerParts(1);
    EXPECT_EQ(nAsked, 1);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    const size_t nOps = rig.queue.m_log.size();
    const size_t nCalls = rig.sink.m_calls.size();
    rig.modem.OnOperationComplete(std::make_unique<CSerialOp>(EOpKind::OP_READ, std::string("\r\nOK\r\n")), nullptr);
    EXPECT_EQ(rig.queue.m_log.size(), nOps);
    EXPECT_EQ(rig.sink.m_calls.size(), nCalls);
}

// The owner gives the next recipient's job once the job before has
// returned, as the window does; the port stays open and the whole handshake
// runs again.
TEST_F(Send, SeveralRecipientsOnOneOpenPort)
{
    CMsg first(Text(161), WString(), WSTR("111"));
    std::vector<CMsg> pending = {CMsg(WSTR("Hi"), WSTR("Anna"), WSTR("222")), CMsg(WSTR("Hi"), WString(), WSTR("333"))};
    rig.sink.m_onJobDone = [&](CModemLink& link) -> std::unique_ptr<CModemJob> {
        if (pending.empty())
            return nullptr;
        std::unique_ptr<CModemJob> pJob = MakeSendJob(link, rig.sink, pending.front());
        pending.erase(pending.begin());
        return pJob;
    };
    Start(first);
    AnswerParts(2);
    for (int i = 0; i < 2; ++i) {
        rig.Handshake();
        rig.phone.Reply("OK");
        AnswerParts(1);
    }
    EXPECT_EQ(rig.queue.Count("open COM5"), 3u);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.queue.m_log.back(), "close");
    EXPECT_EQ(rig.sink.Count("Handshaking"), 3u);
    EXPECT_EQ(rig.sink.Count("RequestEnded"), 1u);
    // Each recipient's PDU carries its own number and reference.
    const std::string& w = rig.phone.m_strWritten;
    EXPECT_NE(w.find("0011F2038122F20000AA02C834\x1A"), std::string::npos);
    EXPECT_NE(w.find("0011F3038133F30000AA02C834\x1A"), std::string::npos);
    size_t nAt = 0;
    for (size_t k = 0; (k = w.find(kSendStart, k)) != std::string::npos; ++k)
        ++nAt;
    EXPECT_EQ(nAt, 3u);
}

// The final "OK" of an acknowledgement is awaited before the next command:
// taken by the next part (or the next recipient's "AT"), every answer after
// it would be one behind.
TEST_F(Send, TheFinalOkIsAwaitedBeforeTheNextPart)
{
    CMsg msg(Text(161), WString(), WSTR("12345"));
    Start(msg);
    rig.phone.Reply(kPrompt);
    rig.phone.Reply("\r\n+CMGS: 17\r\n");
    EXPECT_EQ(rig.sink.Count("MessageSent"), 1u);  // sent on "+CMGS"
    EXPECT_EQ(PartWrites().size(), 2u);            // but nothing written yet
    rig.phone.Reply("\r\nOK\r\n");
    EXPECT_EQ(PartWrites().back(), "AT+CMGS=25\r");
    rig.phone.Reply("\r\nOK\r\n\r\n> ");  // a stray OK before the prompt is passed over
    EXPECT_EQ(rig.sink.Events().back(), "SendingPart 2");
    rig.phone.Reply("\r\n+CMGS: 18\r\n");
    EXPECT_EQ(rig.sink.Count("MessageSent"), 2u);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
}

// Without it, the next part goes out 5 s later all the same.
TEST_F(Send, AFinalOkThatNeverComesIsWaitedForFiveSeconds)
{
    CMsg msg(Text(161), WString(), WSTR("12345"));
    Start(msg);
    rig.phone.Reply(kPrompt);
    rig.phone.Reply("\r\n+CMGS: 17\r\n");
    EXPECT_EQ(rig.sink.Timer(), CModem::kFinalTimeout);
    rig.modem.OnTimer();
    const Strings tail(rig.queue.m_log.end() - 3, rig.queue.m_log.end());
    EXPECT_EQ(tail, Strings({"cancel", "write AT+CMGS=25\r", "read 512"}));  // the read that waited, dropped
    AnswerParts(1);
    EXPECT_EQ(rig.sink.Count("MessageSent"), 2u);
}

// What a phone may make of the answer to a PDU: split at any byte, mixed
// with lines of its own, its echo of the PDU, no blank after the colon, line
// noise. The part is sent with the reference it was given, and the next
// recipient's "AT" goes out only after the final "OK".
TEST(RealPhones, TheAnswerToAPduInAnyNumberOfReads)
{
    static const char kNoise[] = "\r\n\0\0#\x7F\0\r\n+CMGS: 17\r\n\r\nOK\r\n";
    const std::string kPdu = "0011F10A8110325476980000AA02C834";
    const std::vector<Strings> cases = {
        {"\r\n+CMG", "S: 17\r\n\r\nOK\r\n"},
        {"\r\n+CMGS: 1", "7\r\n\r\nOK\r\n"},
        {"\r\n+CSQ: 17,99\r\n\r\n+CMGS: 17\r\n\r\nOK\r\n"},
        {"\r\n+CMTI: \"SM\",1\r", "\n\r\n+CMGS: 17\r\n\r\nOK\r\n"},
        {kPdu + "\x1A\r\n\r\n+CMGS: 17\r\n\r\nOK\r\n"},
        {"\r\n+CMGS:17\r\n\r\nOK\r\n"},
        {std::string(kNoise, sizeof(kNoise) - 1)},
        {"\r\n^RSSI:12\r\n+CMGS: 17\r\n^MODE:5,4\r\nO", "K\r\n"},
        {"\r\n+CMGS: 17\r\n", "\r\n+CPIN: READY\r\n", "\r\nOK\r\n"},
    };
    for (const Strings& bursts : cases) {
        ResetMsgReferences();
        CModemRig rig;
        CMsg first(WSTR("Hi"), WString(), WSTR("0123456789"));
        CMsg second(WSTR("Hi"), WString(), WSTR("222"));
        bool bSecond = false;
        rig.sink.m_onJobDone = [&](CModemLink& link) -> std::unique_ptr<CModemJob> {
            if (rig.sink.m_refs.back() != 17 || bSecond)
                return nullptr;
            bSecond = true;
            return MakeSendJob(link, rig.sink, second);
        };
        rig.Send(first);
        rig.Handshake();
        rig.phone.Reply("\r\nOK\r\n");
        rig.phone.Reply(kPrompt);
        for (size_t i = 0; i < bursts.size(); ++i) {
            ASSERT_TRUE(rig.phone.Reply(bursts[i])) << bursts[0];
            const bool bLast = i + 1 == bursts.size();
            EXPECT_EQ(rig.phone.m_writes.back() == "AT\r\n", bLast) << bursts[0] << " " << i;
        }
        EXPECT_EQ(rig.sink.Count("MessageSent"), 1u) << bursts[0];
        EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u) << bursts[0];
        rig.phone.Serve();
        EXPECT_EQ(rig.sink.Count("MessageSent"), 2u) << bursts[0];
        EXPECT_EQ(rig.queue.Count("close"), 1u) << bursts[0];
    }
}

// ESC ends the PDU a phone may be reading when a request ends between a
// part's announcement and the phone's answer to its PDU, and only then.
TEST(RealPhones, APhoneIsNeverLeftAtItsPrompt)
{
    enum EEnd { CANCEL, TIME_OUT, PORT_ERROR, BABBLE, REFUSAL };
    const struct {
        bool bPduOut;
        EEnd eEnd;
        bool bEsc;
        const char* pszLast;  // the owner's last event before RequestEnded
    } cases[] = {
        {false, CANCEL, true, "Handshaking"},       {false, TIME_OUT, true, "TimedOut"},
        {false, PORT_ERROR, true, "Handshaking"},  {false, BABBLE, true, "RequestFailed"},
        {false, REFUSAL, false, "RequestFailed"},   {true, CANCEL, true, "NotConfirmed"},
        {true, TIME_OUT, true, "NotConfirmed"},     {true, PORT_ERROR, true, "NotConfirmed"},
        {true, BABBLE, true, "NotConfirmed"},       {true, REFUSAL, false, "RequestFailed"},
    };
    for (const auto& c : cases) {
        CModemRig rig;
        CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
        rig.Send(msg);
        rig.Handshake();
        rig.phone.Reply("\r\nOK\r\n");  // AT+CMGF=0: "AT+CMGS=15" goes out
        if (c.bPduOut)
            rig.phone.Reply(kPrompt);
        switch (c.eEnd) {
        case CANCEL: rig.modem.Cancel(); break;
        case TIME_OUT: rig.modem.OnTimer(); break;
        case PORT_ERROR: rig.phone.FailNext(1167); break;  // the device went away
        case BABBLE:  // a line that never ends
            for (int i = 0; i < 8 && rig.phone.IsReadPending(); ++i)
                rig.phone.Reply(std::string(CModem::kReadSize, 'x'));
            break;
        case REFUSAL: rig.phone.Reply(c.bPduOut ? "\r\n+CMS ERROR: 500\r\n" : "\r\nERROR\r\n"); break;
        }
        rig.phone.Run();
        const std::string strWhat = std::to_string(c.bPduOut) + " " + std::to_string(c.eEnd);
        EXPECT_EQ(rig.queue.Count("write \x1B"), c.bEsc ? 1u : 0u) << strWhat;
        ASSERT_GE(rig.queue.m_log.size(), 2u);
        EXPECT_EQ(rig.queue.m_log.back(), "close") << strWhat;
        if (c.bEsc) {
            EXPECT_EQ(rig.queue.m_log[rig.queue.m_log.size() - 2], "write \x1B") << strWhat;
        }
        const Strings events = rig.sink.Events();
        ASSERT_GE(events.size(), 2u) << strWhat;
        EXPECT_EQ(events.back(), "RequestEnded") << strWhat;
        EXPECT_EQ(events[events.size() - 2], c.pszLast) << strWhat;
    }
}

TEST_F(Send, PhoneErrorsFailTheRequestAndStopTheParts)
{
    struct Case {
        unsigned nPartsAcked;
        const char* pszPromptReply;
        const char* pszAckReply;
    } cases[] = {
        {0, "\r\nERROR\r\n", nullptr},
        {0, "\r\n+CMS ERROR: 304\r\n", nullptr},
        {0, "\r\nOK\r\n\r\nERROR\r\n", nullptr},
        {0, "\r\nCOMMAND NOT SUPPORT\r\n", nullptr},
        {0, kPrompt, "\r\n+CMS ERROR: 500\r\n"},
        {0, kPrompt, "\r\n+CMGW: 3\r\n"},
        {1, kPrompt, "\r\nERROR\r\n"},
    };
    for (const Case& c : cases) {
        CModemRig r;
        CMsg msg(Text(400), WString(), WSTR("12345"));
        r.Send(msg);
        r.Handshake();
        r.phone.Reply("OK");
        for (unsigned i = 0; i < c.nPartsAcked; ++i) {
            r.phone.Reply(kPrompt);
            r.phone.Reply(kAck);
        }
        r.phone.Reply(c.pszPromptReply);
        if (c.pszAckReply)
            r.phone.Reply(c.pszAckReply);
        const std::string strWhat = std::string(c.pszPromptReply) + (c.pszAckReply ? c.pszAckReply : "");
        EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << strWhat;
        EXPECT_EQ(r.sink.Count("MessageSent"), c.nPartsAcked) << strWhat;
        EXPECT_EQ(r.sink.m_calls.back(), "RequestEnded") << strWhat;
        EXPECT_EQ(r.queue.Count("close"), 1u) << strWhat;
        EXPECT_FALSE(r.phone.IsReadPending()) << strWhat;
        EXPECT_EQ(r.sink.m_parts.size(), c.nPartsAcked);  // nothing retried, nothing skipped
    }
}

// --- A part refused for a moment ---------------------------------------------

// The same PDU, with the same reference, after 2 s and then after 5 s; a
// third refusal ends the request. The timer that paces it is the driver's one.
TEST_F(Send, TransientRefusalsAreRetriedTwiceWithTheSamePdu)
{
    struct Case {
        const char* pszRefusal;
        bool bAtThePrompt;  // refusing "AT+CMGS=" instead of the PDU
        unsigned nRefusals;
        const char* pszMeaning;
    } cases[] = {
        {"\r\n+CMS ERROR: 42\r\n", false, 1, "congestion"},
        {"\r\n+CMS ERROR: 38\r\n", false, 2, "network out of order"},
        {"\r\n+CMS ERROR: 41\r\n", true, 1, "temporary failure"},
        {"\r\n+CMS ERROR: 47\r\n", false, 1, "resources unavailable"},
        {"\r\n+CMS ERROR: 331\r\n", true, 2, "no network service"},
        {"\r\n+CMS ERROR: 314\r\n", false, 2, "SIM busy"},
        {"\r\n+CME ERROR: 14\r\n", true, 1, "SIM busy"},
        {"\r\n+CME ERROR: 515\r\n", true, 1, "please wait, initialisation or command processing in progress"},
        {"\r\n+CMS ERROR: 38\r\n", false, 3, nullptr},  // the third time ends it
    };
    for (const Case& c : cases) {
        CModemRig r;
        CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
        r.Send(msg);
        r.Handshake();
        r.phone.Reply("OK");
        std::vector<uint32_t> delays;
        for (unsigned i = 0; i < c.nRefusals; ++i) {
            if (!c.bAtThePrompt)
                r.phone.Reply(kPrompt);
            r.phone.Reply(c.pszRefusal);
            if (r.modem.GetState() != CModem::EState::ST_RETRY_WAIT)
                break;
            EXPECT_FALSE(r.phone.IsReadPending());  // nothing is sent during the pause
            delays.push_back(r.sink.Timer());
            r.modem.OnTimer();
        }
        const std::string strWhat = std::string(c.pszRefusal) + " x" + std::to_string(c.nRefusals);
        const std::vector<uint32_t> kDelays = {2000, 5000};
        EXPECT_EQ(delays, std::vector<uint32_t>(kDelays.begin(), kDelays.begin() + std::min(c.nRefusals, 2u)))
            << strWhat;
        if (!c.pszMeaning) {
            EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << strWhat;
            EXPECT_EQ(WideToAnsi(r.sink.m_lastFailure.m_strReceived), "+CMS ERROR: 38");
            EXPECT_EQ(r.queue.Count("close"), 1u);
            continue;
        }
        r.phone.Reply(kPrompt);
        r.phone.Reply(kAck);
        EXPECT_EQ(r.sink.Count("Retrying " + std::string(c.pszMeaning)), c.nRefusals) << strWhat;
        EXPECT_EQ(r.sink.Count("MessageSent"), 1u) << strWhat;
        EXPECT_EQ(r.sink.Count("RequestFailed"), 0u) << strWhat;
        // Every offer of the part was the same, and each was announced again.
        const std::string strPdu = r.phone.m_writes.back();
        EXPECT_EQ(strPdu.back(), '\x1A');
        EXPECT_EQ(r.phone.Count(strPdu), c.bAtThePrompt ? 1u : c.nRefusals + 1) << strWhat;
        EXPECT_EQ(r.phone.Count("AT+CMGS=15\r"), c.nRefusals + 1) << strWhat;
    }
}

TEST_F(Send, OtherRefusalsAndStoringAreNotRetried)
{
    for (const char* pszRefusal : {"\r\n+CMS ERROR: 500\r\n", "\r\n+CMS ERROR: 21\r\n", "\r\nERROR\r\n",
                                   "\r\n+CME ERROR: 38\r\n", "\r\n+CMS ERROR: congestion\r\n"}) {
        CModemRig r;
        CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
        r.Send(msg);
        r.Handshake();
        r.phone.Reply("OK");
        r.phone.Reply(kPrompt);
        r.phone.Reply(pszRefusal);
        EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << pszRefusal;
        EXPECT_EQ(r.phone.Count("AT+CMGS=15\r"), 1u) << pszRefusal;
    }
    CMsg msg(WSTR("Hi"), WString(), WSTR("12345"));
    Start(msg, true);
    rig.phone.Reply(kPrompt);
    rig.phone.Reply("\r\n+CMS ERROR: 42\r\n");
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u);
}

// Each part may be refused twice; the parts before it stay sent.
TEST_F(Send, EachPartHasRetriesOfItsOwn)
{
    CMsg msg(Text(161), WString(), WSTR("12345"));
    Start(msg);
    for (int nPart = 0; nPart < 2; ++nPart) {
        for (int i = 0; i < 2; ++i) {
            rig.phone.Reply(kPrompt);
            rig.phone.Reply("\r\n+CMS ERROR: 42\r\n");
            rig.modem.OnTimer();
        }
        rig.phone.Reply(kPrompt);
        rig.phone.Reply(kAck);
    }
    EXPECT_EQ(rig.sink.Count("MessageSent"), 2u);
    EXPECT_EQ(rig.sink.Count("Retrying congestion"), 4u);
    EXPECT_EQ(rig.sink.Events().back(), "RequestEnded");
}

TEST_F(Send, CancelDuringThePauseEndsTheRequest)
{
    CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
    Start(msg);
    rig.phone.Reply(kPrompt);
    rig.phone.Reply("\r\n+CMS ERROR: 42\r\n");
    rig.modem.Cancel();
    EXPECT_EQ(rig.sink.Timer(), 0u);
    rig.phone.Run();
    rig.modem.OnTimer();  // a tick that was on its way
    EXPECT_EQ(rig.phone.Count("AT+CMGS=15\r"), 1u);
    EXPECT_EQ(rig.sink.Events().back(), "RequestEnded");
    EXPECT_EQ(rig.queue.Count("close"), 1u);
}

TEST_F(Send, PduModeRefusedFails)
{
    CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
    rig.Send(msg);
    rig.Handshake();
    rig.phone.Reply("\r\nERROR\r\n");
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u);
    EXPECT_EQ(rig.phone.m_strWritten.find("AT+CMGS"), std::string::npos);
}

TEST_F(Send, NumberThatCannotBeEncodedNeverReachesThePhone)
{
    CMsg msg(WSTR("Hi"), WString(), WSTR("12a45"));
    Start(msg);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.phone.m_strWritten, kSendStart);
    EXPECT_EQ(rig.sink.m_lastFailure.m_strReceived, WSTR("12a45"));
}

TEST_F(Send, TextOfMoreThan255PartsNeverReachesThePhone)
{
    CMsg msg(Text(153 * 255 + 1), WString(), WSTR("12345"));
    ASSERT_TRUE(msg.IsTooLong());
    Start(msg);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u);
    EXPECT_EQ(rig.phone.m_strWritten.find("AT+CMGS"), std::string::npos);
}

// --- Storing in the phone's memory ---------------------------------------------

TEST_F(Send, StoreOnePart)
{
    CMsg msg(WSTR("Hi"), WString(), WSTR("0123456789"));
    Start(msg, true);
    AnswerParts(1, kStored);
    EXPECT_EQ(rig.phone.m_strWritten,
              std::string(kSendStart) + "AT+CMGW=15\r0011F10A8110325476980000AA02C834\x1A");
    EXPECT_EQ(rig.sink.Events(),
              Strings({"Handshaking", "UploadingMessage", "MessageUploaded",
                       "RequestEnded"}));
}

TEST_F(Send, StoreThreePartsWithTheKeepOpenRule)
{
    CMsg msg(Text(307), WString(), WSTR("12345"));
    Start(msg, true);
    AnswerParts(3, kStored);
    EXPECT_EQ(rig.sink.Count("UploadingMessage"), 3u);
    EXPECT_EQ(rig.sink.Count("MessageUploaded"), 3u);
    EXPECT_EQ(rig.sink.Count("MessageSent"), 0u);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(PartWrites()[4], "AT+CMGW=18\r");

    CModemRig next;
    CMsg again(WSTR("Hi"), WString(), WSTR("12345"));
    next.sink.m_onJobDone = [&](CModemLink& link) { return MakeSendJob(link, next.sink, again, true); };
    next.Save(again);
    next.Handshake();
    next.phone.Reply("OK");
    next.phone.Reply(kPrompt);
    next.phone.Reply(kStored);
    EXPECT_EQ(next.queue.Count("close"), 0u);  // the next store goes on the open port
    EXPECT_EQ(next.sink.Count("MessageUploaded"), 1u);
}

TEST_F(Send, StoreFailures)
{
    for (const char* pszReply : {"\r\n+CMS ERROR: 322\r\n", "\r\n+CMGS: 17\r\n", "\r\nERROR\r\n"}) {
        CModemRig r;
        CMsg msg(WSTR("Hi"), WString(), WSTR("12345"));
        r.Save(msg);
        r.Handshake();
        r.phone.Reply("OK");
        r.phone.Reply(kPrompt);
        r.phone.Reply(pszReply);
        EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << pszReply;
        EXPECT_EQ(r.sink.Count("MessageUploaded"), 0u) << pszReply;
        EXPECT_EQ(r.queue.Count("close"), 1u);
    }
}

} // namespace
