// What the phone sends besides the answers: unsolicited result codes in every
// state of every request, and the late answer of a message that was
// cancelled. The dialogue goes on as if they had not come.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "sms/Msg.h"
#include "support/ModemHarness.h"
#include "support/TraceCapture.h"

namespace {

typedef std::vector<std::string> Strings;

const char* const kCodes[] = {
    "\r\n+CMTI: \"SM\",3\r\n",
    "\r\nRING\r\n",
    "\r\n+CREG: 1\r\n",
    "\r\n+CGREG: 5\r\n",
    "\r\n+CDSI: \"SR\",7\r\n",
    "\r\n+CRING: VOICE\r\n",
    "\r\nNO CARRIER\r\n",
    "\r\n+CIEV: 2,4\r\n",
    "\r\n^RSSI:17\r\n",
    "\r\n^BOOT:12345678,0,0,0,72\r\n",
    // A message, a status report and a cell broadcast in PDU mode: a line of hex follows.
    "\r\n+CMT: ,24\r\n07911326040000F0040B911346610089F60000208062917314080CC8F71D14969741F977FD07\r\n",
    "\r\n+CDS: 25\r\n0006D60B911326880736F4111011719551401110117195714000\r\n",
    "\r\n+CBM: 88\r\n001000DD001133DAED46ABD56AB5186CD668341A8D46A3D168341A8D46A3D1\r\n",
};

enum EWhere { ALONE, BEFORE, AFTER };  // a burst of its own before the answer, or in the answer's burst

struct CRun {
    Strings writes;  // what the phone received
    Strings events;  // what the owner was told
};

void Start(CModemRig& rig, EJob eRequest, CMsg& msg)
{
    switch (eRequest) {
    case EJob::SEND: rig.Send(msg); break;
    case EJob::SAVE: rig.Save(msg); break;
    case EJob::PHONEBOOK: rig.Start(EJob::PHONEBOOK); break;
    case EJob::READ_MESSAGES: rig.Start(EJob::READ_MESSAGES); break;
    default: rig.Start(EJob::DEVICE_TEST); break;
    }
}

// A request against the usual phone, with the code sent before or after
// every answer (none for an empty code).
CRun RunRequest(EJob eRequest, const std::string& strCode, EWhere nWhere)
{
    ResetMsgReferences();
    CModemRig rig;
    CMsg msg(WString(161, WChar('x')), WString(), WSTR("12345"));  // two parts
    Start(rig, eRequest, msg);
    while (rig.phone.IsReadPending() && rig.phone.m_writes.size() < 20) {
        const std::string strAnswer = CPhoneLink::Answer(rig.phone.m_writes.back());
        if (nWhere == ALONE && !strCode.empty())
            rig.phone.Reply(strCode);
        rig.phone.Reply(nWhere == BEFORE ? strCode + strAnswer : nWhere == AFTER ? strAnswer + strCode : strAnswer);
    }
    return CRun{rig.phone.m_writes, rig.sink.Events()};
}

// The same against a phone that cuts every answer into one to four reads
// at random points (seeded) and puts vendor reports between its lines.
CRun RunSplit(EJob eRequest, unsigned nSeed)
{
    ResetMsgReferences();
    std::minstd_rand random(nSeed);
    CModemRig rig;
    CMsg msg(WString(161, WChar('x')), WString(), WSTR("12345"));
    Start(rig, eRequest, msg);
    while (rig.phone.IsReadPending() && rig.phone.m_writes.size() < 20) {
        std::string strAnswer = CPhoneLink::Answer(rig.phone.m_writes.back());
        for (size_t nPos = strAnswer.find("\r\n"); nPos != std::string::npos; nPos = strAnswer.find("\r\n", nPos + 2)) {
            if (random() % 4 == 0)
                strAnswer.insert(nPos, "\r\n^RSSI:" + std::to_string(random() % 32));
        }
        std::vector<size_t> cuts = {0, strAnswer.size()};
        for (unsigned i = random() % 4; i > 0; --i)
            cuts.push_back(random() % strAnswer.size());
        std::sort(cuts.begin(), cuts.end());
        for (size_t i = 0; i + 1 < cuts.size(); ++i) {
            if (cuts[i] < cuts[i + 1] && !rig.phone.Reply(strAnswer.substr(cuts[i], cuts[i + 1] - cuts[i])))
                break;
        }
    }
    return CRun{rig.phone.m_writes, rig.sink.Events()};
}

TEST(Unsolicited, IgnoredInEveryStateOfEveryRequest)
{
    for (EJob eRequest : {EJob::SEND, EJob::PHONEBOOK, EJob::DEVICE_TEST}) {
        const CRun plain = RunRequest(eRequest, std::string(), ALONE);
        ASSERT_EQ(plain.events.back(), "RequestEnded");
        ASSERT_EQ(std::count(plain.events.begin(), plain.events.end(), "RequestFailed"), 0);
        for (const char* pszCode : kCodes) {
            for (EWhere nWhere : {ALONE, BEFORE, AFTER}) {
                const CRun run = RunRequest(eRequest, pszCode, nWhere);
                EXPECT_EQ(run.writes, plain.writes) << static_cast<int>(eRequest) << " " << nWhere << " " << pszCode;
                EXPECT_EQ(run.events, plain.events) << static_cast<int>(eRequest) << " " << nWhere << " " << pszCode;
            }
        }
    }
}

TEST(RealPhones, EveryAnswerSplitAtRandomGivesTheSameOutcome)
{
    for (EJob eRequest : {EJob::SEND, EJob::SAVE, EJob::PHONEBOOK,
                                      EJob::DEVICE_TEST, EJob::READ_MESSAGES}) {
        const CRun plain = RunRequest(eRequest, std::string(), ALONE);
        ASSERT_EQ(plain.events.back(), "RequestEnded");
        for (unsigned nSeed = 1; nSeed <= 300; ++nSeed) {
            const CRun run = RunSplit(eRequest, nSeed);
            EXPECT_EQ(run.writes, plain.writes) << static_cast<int>(eRequest) << " seed " << nSeed;
            EXPECT_EQ(run.events, plain.events) << static_cast<int>(eRequest) << " seed " << nSeed;
        }
    }
}

TEST(Unsolicited, EachIgnoredLineIsTraced)
{
    CTraceCapture trace;
    const CRun run = RunRequest(EJob::DEVICE_TEST, "\r\n+CMT: ,3\r\n0011AB\r\n", ALONE);
    const Strings lines = CTraceCapture::Lines();
    const auto nCommands = static_cast<std::ptrdiff_t>(run.writes.size());  // one code before each answer
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Ignored the unsolicited '+CMT: ,3'\n"), nCommands);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Ignored the message of an unsolicited code: '0011AB'\n"),
              nCommands);
}

TEST(Unsolicited, ThePduLineMayComeInTheNextBurst)
{
    CModemRig rig;
    CMsg msg(WSTR("Hi"), WString(), WSTR("12345"));
    rig.Send(msg);
    rig.Handshake();
    rig.phone.Reply("\r\nOK\r\n");
    rig.phone.Reply("\r\n+CMT: ,24\r\n");
    rig.phone.Reply("07911326040000F0040B911346610089F6\r\n\r\n> ");
    EXPECT_EQ(rig.sink.Events().back(), "Sending");
    rig.phone.Reply("\r\n+CMGS: 4\r\n\r\nOK\r\n");
    EXPECT_EQ(rig.sink.Count("MessageSent"), 1u);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u);
}

// A line that is neither the awaited answer nor a final result code is
// passed over (and traced); the answer still comes.
TEST(Unsolicited, AnythingElseIsPassedOver)
{
    for (const char* pszReply : {"\r\n+CMTI \"SM\",3\r\n", "\r\nRINGING\r\n", "\r\n+cmti: 3\r\n", "\r\n\x7F~\r\n"}) {
        CTraceCapture trace;
        CModemRig rig;
        CMsg msg(WSTR("Hi"), WString(), WSTR("12345"));
        rig.Send(msg);
        rig.Handshake();
        rig.phone.Reply("\r\nOK\r\n");
        rig.phone.Reply(pszReply);  // before the prompt
        EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u) << pszReply;
        rig.phone.Serve();
        EXPECT_EQ(rig.sink.Count("MessageSent"), 1u) << pszReply;
        const Strings lines = CTraceCapture::Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), "Passed over '" + TrimWhite(pszReply) + "' before the prompt\n"),
                  1);
    }
}

// A message cancelled in the middle of a part: the phone's answer to it may
// come after the next request's port has been opened. It is no answer to
// "AT" or "ATE0", and none of the request that follows is lost.
TEST(Leftovers, TheLateAnswerOfACancelledPartIsSkippedInTheHandshake)
{
    const std::vector<Strings> cases = {
        {"\r\n+CMGS: 5\r\n\r\nOK\r\n", "\r\nOK\r\n"},
        {"\r\n+CMGS: 5\r\n", "\r\nOK\r\n\r\nOK\r\n"},
        {"\r\n+CMGS: 5\r\n\r\nOK\r\n<echo>\r\r\nOK\r\n"},
        {"\r\n+CMGW: 3\r\n\r\nOK\r\n\r\nOK\r\n"},
        {"\r\n+CMS ERROR: 38\r\n", "\r\nOK\r\n"},
        {"\r\nERROR\r\n\r\nOK\r\n"},
        {"\r\n+CME ERROR: 100\r\n\r\nOK\r\n"},
    };
    for (int nStep = 0; nStep < 2; ++nStep) {
        for (const Strings& bursts : cases) {
            CModemRig rig;
            CMsg msg(WSTR("Hi"), WString(), WSTR("12345"));
            rig.Send(msg);
            if (nStep == 1)
                rig.phone.Reply("\r\nOK\r\n");
            for (std::string strBurst : bursts) {
                const size_t nEcho = strBurst.find("<echo>");
                if (nEcho != std::string::npos)
                    strBurst.replace(nEcho, 6, nStep == 0 ? "AT" : "ATE0");
                rig.phone.Reply(strBurst);
            }
            const Strings expected = nStep == 0 ? HandshakeWrites() : HandshakeWrites({"AT+CMGF=0\r\n"});
            EXPECT_EQ(rig.phone.m_writes, expected) << nStep << " " << bursts[0];
            EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u) << nStep << " " << bursts[0];
            EXPECT_TRUE(rig.phone.IsReadPending());
        }
    }
}

TEST(Leftovers, AnErrorAloneIsTheAnswer)
{
    for (const char* pszReply : {"\r\nERROR\r\n", "\r\n+CME ERROR: 515\r\n", "\r\n+CMGS: 5\r\n\r\nERROR\r\n"}) {
        CModemRig rig;
        rig.Start(EJob::DEVICE_TEST);
        rig.phone.Reply(pszReply);
        EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u) << pszReply;
    }
}

} // namespace
