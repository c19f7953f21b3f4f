// The simulated phone's answers, bursts and events, byte by byte.
#include <gtest/gtest.h>

#include <map>

#include "SimPhone.h"

namespace {

class CPhoneTest : public ::testing::Test {
protected:
    void Make()
    {
        m_pPhone.reset(new CSimPhone(m_options, m_phonebook));
        m_pPhone->SetClock([this] { return m_nNow; });
    }
    // Everything the phone does in answer to the bytes.
    std::vector<CSimAction> Send(const std::string& strBytes)
    {
        if (!m_pPhone)
            Make();
        std::vector<CSimAction> actions;
        for (char ch : strBytes)
            m_pPhone->Receive(ch, actions);
        return actions;
    }
    // The bursts, in order, with the pause before each.
    std::vector<std::pair<std::string, unsigned>> BurstsOf(const std::string& strBytes)
    {
        return BurstsIn(Send(strBytes));
    }
    static std::vector<std::pair<std::string, unsigned>> BurstsIn(const std::vector<CSimAction>& actions)
    {
        std::vector<std::pair<std::string, unsigned>> out;
        for (const CSimAction& a : actions)
            if (a.nKind == CSimAction::SEND)
                out.push_back({a.strData, a.nDelayMs});
        return out;
    }
    // All bytes sent in answer.
    std::string Reply(const std::string& strBytes)
    {
        std::string out;
        for (const auto& burst : BurstsOf(strBytes))
            out += burst.first;
        return out;
    }
    static std::vector<std::string> Of(const std::vector<CSimAction>& actions, CSimAction::EKind nKind)
    {
        std::vector<std::string> out;
        for (const CSimAction& a : actions)
            if (a.nKind == nKind)
                out.push_back(a.strData);
        return out;
    }

    // The replies to a table of commands, each sent at its time.
    struct CStep {
        long long nNow;
        const char* pszSend;
        const char* pszReply;
    };
    void Expect(const std::vector<CStep>& steps)
    {
        for (const CStep& step : steps) {
            m_nNow = step.nNow;
            EXPECT_EQ(Reply(step.pszSend), step.pszReply) << "at " << step.nNow << ": " << step.pszSend;
        }
    }
    static std::string Logs(const std::vector<CSimAction>& actions)
    {
        std::string out;
        for (const std::string& s : Of(actions, CSimAction::LOG))
            out += s + "\n";
        return out;
    }

    CSimOptions m_options;
    CSimPhonebook m_phonebook;
    std::unique_ptr<CSimPhone> m_pPhone;
    long long m_nNow = 0;
};

const char kPdu[] = "0011F105812143F50000AA02C834\x1A";

typedef std::vector<std::pair<std::string, unsigned>> Bursts;

TEST_F(CPhoneTest, EchoUntilAte0ThenPlainAnswers)
{
    EXPECT_EQ(BurstsOf("AT\r\n"), (Bursts{{"AT\r\r\nOK\r\n", 0}}));
    EXPECT_EQ(Reply("ATE0\r\n"), "ATE0\r\r\nOK\r\n");
    EXPECT_EQ(Reply("AT\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("ATE1\r\n"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("at\r"), "at\r\r\nOK\r\n");  // commands are case-insensitive
}

TEST_F(CPhoneTest, EmptyLinesLineFeedsAndBackspace)
{
    m_options.bEcho = false;
    EXPECT_EQ(Reply("\r\n\r\n"), "");
    EXPECT_EQ(Reply("ATX\bE0\r"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("hello\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("AT+FOO\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("AT+CMGF=1\r"), "\r\nERROR\r\n");  // PDU mode only
    EXPECT_EQ(Reply("AT+CMGF=0\r"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CMGF?\r"), "\r\n+CMGF: 0\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply(std::string(2000, 'A') + "\r"), "\r\nERROR\r\n");
}

TEST_F(CPhoneTest, SplitEchoAndLateOkMakeSeparateBursts)
{
    m_options.bSplitEcho = true;
    m_options.nGapMs = 300;
    EXPECT_EQ(BurstsOf("AT\r\n"), (Bursts{{"AT\r", 0}, {"\r\nOK\r\n", 300}}));
    m_options.bSplitEcho = false;
    m_options.bLateOk = true;
    Make();
    EXPECT_EQ(BurstsOf("AT+CGMI\r\n"), (Bursts{{"AT+CGMI\r\r\nPhoneSim\r\n", 0}, {"\r\nOK\r\n", 300}}));
    m_options.bSplitEcho = true;
    Make();
    EXPECT_EQ(BurstsOf("AT+CGMI\r\n"), (Bursts{{"AT+CGMI\r", 0}, {"\r\nPhoneSim\r\n", 300}, {"\r\nOK\r\n", 300}}));
}

TEST_F(CPhoneTest, MakerAndCharacterSets)
{
    m_options.bEcho = false;
    m_options.strMaker = "ACME Mobile";
    EXPECT_EQ(Reply("AT+CGMI\r"), "\r\nACME Mobile\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CSCS?\r"), "\r\n+CSCS: \"IRA\"\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CSCS=\"UTF-8\"\r"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CSCS?\r"), "\r\n+CSCS: \"UTF-8\"\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CSCS=\"KOI8\"\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("AT+CSCS=?\r"), "\r\n+CSCS: (\"IRA\",\"GSM\",\"UCS2\",\"UTF-8\")\r\n\r\nOK\r\n");
}

TEST_F(CPhoneTest, SubmitWithPromptAndReference)
{
    m_options.bEcho = false;
    EXPECT_EQ(Reply("AT+CMGS=13\r"), "\r\n> ");
    const std::vector<CSimAction> actions = Send("0011F105812143F50000AA02C834\x1A");
    std::string strReply;
    for (const std::string& s : Of(actions, CSimAction::SEND))
        strReply += s;
    EXPECT_EQ(strReply, "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    const std::vector<std::string> logs = Of(actions, CSimAction::LOG);
    ASSERT_FALSE(logs.empty());
    EXPECT_NE(logs[0].find("\"event\":\"pdu\""), std::string::npos);
    EXPECT_NE(logs[0].find("\"length_ok\":true"), std::string::npos);
    EXPECT_NE(logs[0].find("\"number\":\"12345\""), std::string::npos);
    EXPECT_NE(logs[0].find("\"text\":\"Hi\""), std::string::npos);
    EXPECT_EQ(Of(actions, CSimAction::PRINT), (std::vector<std::string>{"Message 1 to 12345: Hi"}));
    // The next message gets the next reference; CR LF inside the PDU is ignored.
    Send("AT+CMGS=13\r");
    EXPECT_EQ(Reply("0011F105812143F5\r\n0000AA02C834\x1A"), "\r\n+CMGS: 2\r\n\r\nOK\r\n");
}

TEST_F(CPhoneTest, AWrongLengthOrABrokenPduIsRefused)
{
    m_options.bEcho = false;
    Send("AT+CMGS=14\r");
    std::vector<CSimAction> actions = Send("0011F105812143F50000AA02C834\x1A");
    EXPECT_EQ(Of(actions, CSimAction::SEND), (std::vector<std::string>{"\r\n+CMS ERROR: 304\r\n"}));
    EXPECT_NE(Of(actions, CSimAction::LOG)[0].find("\"length_ok\":false"), std::string::npos);
    EXPECT_TRUE(Of(actions, CSimAction::PRINT).empty());
    Send("AT+CMGS=13\r");
    EXPECT_EQ(Reply("0011F105812143F50000AA02C8\x1A"), "\r\n+CMS ERROR: 304\r\n");
    Send("AT+CMGS=13\r");
    EXPECT_EQ(Reply("XY11F105812143F50000AA02C834\x1A"), "\r\n+CMS ERROR: 304\r\n");
    EXPECT_EQ(Reply("AT+CMGS=0\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("AT+CMGS=x\r"), "\r\nERROR\r\n");
}

TEST_F(CPhoneTest, EscapeAbortsTheMessage)
{
    m_options.bEcho = false;
    Send("AT+CMGS=13\r");
    const std::vector<CSimAction> actions = Send("0011F1\x1B");
    EXPECT_EQ(Of(actions, CSimAction::SEND), (std::vector<std::string>{"\r\nOK\r\n"}));
    EXPECT_NE(Of(actions, CSimAction::LOG)[0].find("\"event\":\"abort\""), std::string::npos);
    EXPECT_EQ(Reply("AT\r"), "\r\nOK\r\n");  // back to commands
}

TEST_F(CPhoneTest, StoringAMessageGivesItsIndex)
{
    m_options.bEcho = false;
    EXPECT_EQ(Reply("AT+CMGW=13\r"), "\r\n> ");
    EXPECT_EQ(Reply("0011F105812143F50000AA02C834\x1A"), "\r\n+CMGW: 1\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CMGW=13,2\r"), "\r\n> ");
    EXPECT_EQ(Reply("0011F105812143F50000AA02C834\x1A"), "\r\n+CMGW: 2\r\n\r\nOK\r\n");
}

TEST_F(CPhoneTest, ChosenErrors)
{
    m_options.bEcho = false;
    m_options.fails = {{"AT+CMGS", -1, 2}, {"PDU", 500, 1}, {"ATE0", -1, 0}, {"AT+CGMI", 10, 0}};
    EXPECT_EQ(Reply("AT+CGMI\r"), "\r\n+CME ERROR: 10\r\n");  // not an SMS command
    EXPECT_EQ(Reply("ATE0\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("ATE0\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("AT+CMGS=13\r"), "\r\n> ");
    EXPECT_EQ(Reply("0011F105812143F50000AA02C834\x1A"), "\r\n+CMS ERROR: 500\r\n");
    EXPECT_EQ(Reply("AT+CMGS=13\r"), "\r\nERROR\r\n");  // only its second time
    EXPECT_EQ(Reply("AT+CMGS=13\r"), "\r\n> ");
    EXPECT_EQ(Reply("0011F105812143F50000AA02C834\x1A"), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    // A refusal in the phone's own words, the message gone all the same: it has a reference.
    m_options.fails = {{"PDU", 0, 3, "NETWORK TIMEOUT", true}, {"PDU", 0, 4, "+CMS ERROR: Network timeout"}};
    EXPECT_EQ(Reply("AT+CMGS=13\r"), "\r\n> ");
    const std::vector<CSimAction> taken = Send("0011F105812143F50000AA02C834\x1A");
    EXPECT_EQ(Of(taken, CSimAction::SEND)[0], "\r\nNETWORK TIMEOUT\r\n");
    EXPECT_NE(Of(taken, CSimAction::LOG)[0].find("\"mr\":2"), std::string::npos);
    EXPECT_EQ(Reply("AT+CMGS=13\r"), "\r\n> ");
    const std::vector<CSimAction> lost = Send("0011F105812143F50000AA02C834\x1A");
    EXPECT_EQ(Of(lost, CSimAction::SEND)[0], "\r\n+CMS ERROR: Network timeout\r\n");
    EXPECT_EQ(Of(lost, CSimAction::LOG)[0].find("\"mr\""), std::string::npos);
}

TEST_F(CPhoneTest, SilenceAfterTheNthCommandStillLogs)
{
    m_options.nSilentAfter = 2;
    EXPECT_EQ(Reply("AT\r"), "AT\r\r\nOK\r\n");
    EXPECT_EQ(Reply("ATE0\r"), "ATE0\r\r\nOK\r\n");
    const std::vector<CSimAction> actions = Send("AT\r");
    EXPECT_TRUE(Of(actions, CSimAction::SEND).empty());
    ASSERT_EQ(Of(actions, CSimAction::LOG).size(), 1u);
    EXPECT_NE(Of(actions, CSimAction::LOG)[0].find("\"silent\":true"), std::string::npos);
    m_options.nSilentAfter = 0;
    Make();
    EXPECT_EQ(Reply("AT\r"), "");
}

TEST_F(CPhoneTest, UnsolicitedLinesAfterTheEchoBeforeTheAnswer)
{
    m_options.unsolicited = {{"*", 0, "RING"}, {"AT+CMGS", 2, "+CMT: ,3\r\n0011AA"}};
    EXPECT_EQ(Reply("AT\r"), "AT\r\r\nRING\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("ATE0\r"), "ATE0\r\r\nRING\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CMGS=13\r\x1B"), "\r\nRING\r\n\r\n> \r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CMGS=13\r\x1B"), "\r\nRING\r\n\r\n+CMT: ,3\r\n0011AA\r\n\r\n> \r\nOK\r\n");
}

TEST_F(CPhoneTest, ABabblingPhoneRepeatsInsteadOfAnswering)
{
    m_options.nSilentAfter = 1;
    m_options.nGapMs = 120;
    for (auto babble : {std::make_pair(CSimOptions::BABBLE_OK, "\r\nOK\r\n"), std::make_pair(CSimOptions::BABBLE_ECHO, "ATE0\r"),
                        std::make_pair(CSimOptions::BABBLE_BLANK, "\r\n")}) {
        m_options.nBabble = babble.first;
        Make();
        EXPECT_EQ(Reply("AT\r"), "AT\r\r\nOK\r\n");
        const std::vector<CSimAction> actions = Send("ATE0\r");
        EXPECT_TRUE(Of(actions, CSimAction::SEND).empty());
        ASSERT_EQ(Of(actions, CSimAction::REPEAT), std::vector<std::string>({babble.second}));
        for (const CSimAction& action : actions)
            EXPECT_TRUE(action.nKind != CSimAction::REPEAT || action.nDelayMs == 120u);
    }
}

TEST_F(CPhoneTest, HangupOnTheNthCommand)
{
    m_options.nHangupAfter = 2;
    EXPECT_EQ(Reply("AT\r"), "AT\r\r\nOK\r\n");
    const std::vector<CSimAction> actions = Send("ATE0\rAT\r");
    EXPECT_TRUE(Of(actions, CSimAction::SEND).empty());
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back().nKind, CSimAction::HANGUP);
    EXPECT_TRUE(m_pPhone->IsHungUp());
    EXPECT_TRUE(Send("AT\r").empty());  // nothing after the line dropped
}

TEST_F(CPhoneTest, HangupInTheMiddleOfAMessage)
{
    m_options.bEcho = false;
    m_options.nHangupInPdu = 2;
    Send("AT+CMGS=13\r");
    EXPECT_EQ(Reply("0011F105812143F50000AA02C834\x1A"), "\r\n+CMGS: 1\r\n\r\nOK\r\n");
    Send("AT+CMGS=13\r");
    std::vector<CSimAction> actions = Send("0011F105812143");  // 14 of 28 digits: half of it
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back().nKind, CSimAction::HANGUP);
    EXPECT_TRUE(Send("F50000AA02C834\x1A").empty());
}

TEST_F(CPhoneTest, RandomQuirksAreRepeatableAndAPduRefusedOrUnansweredIsNotTaken)
{
    m_options.bEcho = false;
    m_options.nQuirkSeed = 7;
    std::string strLog[2];
    for (std::string& strRun : strLog) {
        Make();
        for (int i = 0; i < 400; ++i)
            for (const std::string& s : Of(Send("AT\rATE0\rAT+CMGS=13\r0011F105812143F50000AA02C834\x1A"), CSimAction::LOG))
                strRun += s + "\n";
    }
    EXPECT_EQ(strLog[0], strLog[1]);
    for (const char* pszKind : {"split-echo", "late-ok", "echo-on", "unsolicited", "transient", "permanent", "silent"})
        EXPECT_NE(strLog[0].find(pszKind), std::string::npos) << pszKind;
    // Every PDU is either taken (a reference given) or answered with an error or nothing, never both.
    size_t nPdus = 0;
    for (size_t nAt = strLog[0].find("\"event\":\"pdu\""); nAt != std::string::npos;
         nAt = strLog[0].find("\"event\":\"pdu\"", nAt + 1), ++nPdus) {
        const std::string strLine = strLog[0].substr(nAt, strLog[0].find('\n', nAt) - nAt);
        EXPECT_NE(strLine.find("\"mr\":") == std::string::npos, strLine.find("\"reply\":") == std::string::npos) << strLine;
    }
    EXPECT_EQ(nPdus, 400u);
}

// The network's quirks: each late answer or prompt comes as late as its
// quirk says; a time-out's message is taken in some cases, never answered with +CMGS.
TEST_F(CPhoneTest, NetworkQuirksDelayAnswersAndPromptsAsLogged)
{
    m_options.bEcho = false;
    m_options.nQuirkSeed = 5;
    m_options.nNetworkWaitMs = 1000;
    std::map<std::string, unsigned> kinds;
    for (int i = 0; i < 3000; ++i) {
        for (const char* pszSend : {"AT+CMGS=13\r", "0011F105812143F50000AA02C834\x1A"}) {
            const std::vector<CSimAction> actions = Send(pszSend);
            const std::vector<std::string> logs = Of(actions, CSimAction::LOG);
            unsigned nLogged = 0, nDelay = 0;
            for (const std::string& s : logs) {
                const size_t nAt = s.find("\"delay_ms\":");
                nLogged = nAt == std::string::npos ? nLogged : static_cast<unsigned>(std::stoul(s.substr(nAt + 11)));
                for (const char* pszKind : {"late-prompt", "late-answer", "beyond-wait", "network-timeout", "sim-busy"})
                    kinds[pszKind] += s.find(pszKind) != std::string::npos;
                if (s.find("\"event\":\"pdu\"") != std::string::npos && s.find("+CMS ERROR: 332") != std::string::npos)
                    kinds["332 taken"] += s.find("\"mr\":") != std::string::npos;
            }
            // The prompt's burst, or the first of the PDU's answer.
            const bool bPrompt = pszSend[0] == 'A';
            for (const CSimAction& a : actions)
                if (a.nKind == CSimAction::SEND && (!bPrompt || a.strData.find("> ") != std::string::npos)) {
                    nDelay = a.nDelayMs;
                    break;
                }
            EXPECT_EQ(nDelay, nLogged) << pszSend << logs.back();
        }
    }
    for (const char* pszKind : {"late-prompt", "late-answer", "beyond-wait", "network-timeout", "sim-busy", "332 taken"})
        EXPECT_GT(kinds[pszKind], 0u) << pszKind;
    EXPECT_LT(kinds["beyond-wait"], kinds["late-answer"] / 10);
}

TEST_F(CPhoneTest, NoiseBeforeTheFirstAnswerOnly)
{
    m_options.bEcho = false;
    m_options.nNoiseBytes = 100000;
    const Bursts bursts = BurstsOf("AT\r");
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_EQ(bursts[0].first.size(), 100000u);
    EXPECT_EQ(bursts[1].first, "\r\nOK\r\n");
    EXPECT_EQ(Reply("AT\r"), "\r\nOK\r\n");
}

TEST_F(CPhoneTest, PhoneBookSelectionAndSize)
{
    m_options.bEcho = false;
    m_phonebook.Generate(3);
    m_phonebook.m_nCapacity = 10;
    EXPECT_EQ(Reply("AT+CPBS?\r"), "\r\n+CPBS: \"SM\",3,10\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CPBS=\"SM\"\r"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CPBS=\"ME\"\r"), "\r\nERROR\r\n");
    EXPECT_EQ(Reply("AT+CPBS=?\r"), "\r\n+CPBS: (\"SM\")\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CPBR=?\r"), "\r\n+CPBR: (1-10),40,24\r\n\r\nOK\r\n");
}

TEST_F(CPhoneTest, PhoneBookEntriesSkipEmptyLocations)
{
    m_options.bEcho = false;
    std::string strError;
    ASSERT_TRUE(m_phonebook.Load("+4930123\tAnna\n\n0301234 B\xC3\xA4r, Otto\n# a comment\n\n112\tSOS\n", strError));
    EXPECT_EQ(m_phonebook.m_nCapacity, 5u);
    Send("AT+CSCS=\"UTF-8\"\r");
    EXPECT_EQ(Reply("AT+CPBR=1,5\r"),
              "\r\n+CPBR: 1,\"4930123\",145,\"Anna\"\r\n+CPBR: 3,\"0301234\",129,\"B\xC3\xA4r, Otto\"\r\n"
              "+CPBR: 5,\"112\",129,\"SOS\"\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CPBR=2\r"), "\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CPBR=3\r"), "\r\n+CPBR: 3,\"0301234\",129,\"B\xC3\xA4r, Otto\"\r\n\r\nOK\r\n");
    EXPECT_EQ(Reply("AT+CPBR=0,2\r"), "\r\n+CME ERROR: 21\r\n");
    EXPECT_EQ(Reply("AT+CPBR=4,6\r"), "\r\n+CME ERROR: 21\r\n");
    EXPECT_EQ(Reply("AT+CPBR=3,2\r"), "\r\n+CME ERROR: 21\r\n");
    EXPECT_EQ(Reply("AT+CPBR=a\r"), "\r\nERROR\r\n");
    Send("AT+CSCS=\"IRA\"\r");
    EXPECT_EQ(Reply("AT+CPBR=3\r"), "\r\n+CPBR: 3,\"0301234\",129,\"B?r, Otto\"\r\n\r\nOK\r\n");
}

TEST_F(CPhoneTest, EscapeInCommandModeDiscardsTheLine)
{
    m_options.bEcho = false;
    const std::vector<CSimAction> actions = Send("AT+CMGS=13\x1B");
    EXPECT_TRUE(Of(actions, CSimAction::SEND).empty());
    EXPECT_EQ(Of(actions, CSimAction::LOG), (std::vector<std::string>{"\"event\":\"esc\""}));
    EXPECT_EQ(Reply("AT\r"), "\r\nOK\r\n");
}

TEST_F(CPhoneTest, LeftAtThePromptTheCommandsOfAProgramAreSwallowed)
{
    m_options.bEcho = false;
    m_options.bLeftAtPrompt = true;
    m_options.fails = {{"PDU", 38, 1}};  // the PDU left over is not counted
    for (auto end : {std::make_pair("\x1B", "\r\nOK\r\n"), std::make_pair("\x1A", "\r\n+CMS ERROR: 304\r\n")}) {
        Make();
        const std::vector<CSimAction> actions = Send(std::string("AT\r\nATE0\r\n") + end.first);
        EXPECT_EQ(Of(actions, CSimAction::SEND), (std::vector<std::string>{end.second}));
        EXPECT_NE(Logs(actions).find("\"pdu\":\"ATATE0\",\"left_at_prompt\":true"), std::string::npos);
        EXPECT_EQ(Reply("AT\r"), "\r\nOK\r\n");
        Send("AT+CMGS=13\r");
        EXPECT_EQ(Reply(kPdu), "\r\n+CMS ERROR: 38\r\n");
    }
}

TEST_F(CPhoneTest, ALatePromptStillComesAfterAnEscape)
{
    m_options.nPromptDelayMs = 2500;
    EXPECT_EQ(BurstsOf("AT+CMGS=13\r"), (Bursts{{"AT+CMGS=13\r", 0}, {"\r\n> ", 2500}}));
    EXPECT_EQ(BurstsOf("\x1B"), (Bursts{{"\r\nOK\r\n", 0}}));  // in PDU mode before the prompt came
    Send("ATE0\rAT+CMGW=13\r");
    EXPECT_EQ(BurstsOf(kPdu), (Bursts{{"\r\n+CMGW: 1\r\n\r\nOK\r\n", 0}}));
}

TEST_F(CPhoneTest, PinThenPukLockTheSimCommands)
{
    m_options.bEcho = false;
    m_options.strSimPin = "1234";
    Expect({{0, "AT+CPIN?\r", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"},
            {0, "AT+CMGS=13\r", "\r\n+CMS ERROR: 311\r\n"},
            {0, "AT+CSCA?\r", "\r\n+CMS ERROR: 311\r\n"},
            {0, "AT+CPBR=1\r", "\r\n+CME ERROR: 11\r\n"},
            {0, "AT+CSQ\r", "\r\n+CSQ: 20,99\r\n\r\nOK\r\n"},
            {0, "AT+CPIN=\"0000\"\r", "\r\n+CME ERROR: 16\r\n"},
            {0, "AT+CPIN=1111\r", "\r\n+CME ERROR: 16\r\n"},
            {0, "AT+CPIN=\"2222\"\r", "\r\n+CME ERROR: 16\r\n"},
            {0, "AT+CPIN?\r", "\r\n+CPIN: SIM PUK\r\n\r\nOK\r\n"},
            {0, "AT+CPIN=\"1234\"\r", "\r\n+CME ERROR: 12\r\n"},
            {0, "AT+CMGL=4\r", "\r\n+CMS ERROR: 316\r\n"},
            {0, "AT+CPBS?\r", "\r\n+CME ERROR: 12\r\n"},
            {0, "AT+CPIN=\"11111111\",\"4321\"\r", "\r\n+CME ERROR: 16\r\n"},
            {0, "AT+CPIN=\"12345678\",\"12\"\r", "\r\nERROR\r\n"},
            {0, "AT+CPIN=\"12345678\",\"4321\"\r", "\r\nOK\r\n"},
            {0, "AT+CPIN?\r", "\r\n+CPIN: READY\r\n\r\nOK\r\n"},
            {0, "AT+CNMI?\r", "\r\n+CNMI: 0,0,0,0,0\r\n\r\nOK\r\n"},
            {0, "AT+CPIN=\"4321\"\r", "\r\n+CME ERROR: 3\r\n"}});
    Make();
    std::string strLog = Logs(Send("AT+CPIN=\"0000\"\rAT+CPIN=\"1234\"\r"));
    EXPECT_NE(strLog.find("\"event\":\"pin\",\"ok\":false,\"tries_left\":2"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("\"event\":\"pin\",\"ok\":true,\"tries_left\":3"), std::string::npos) << strLog;
    EXPECT_EQ(Reply("AT+CPBS?\r"), "\r\n+CPBS: \"SM\",0,0\r\n\r\nOK\r\n");
}

TEST_F(CPhoneTest, TheSimIsBusyAfterTheFirstCommandAndEachPin)
{
    m_options.bEcho = false;
    m_options.strSimPin = "1234";
    m_options.nSimBusyMs = 1000;
    Expect({{500, "AT\r", "\r\nOK\r\n"},
            {510, "AT+CPIN?\r", "\r\n+CME ERROR: 14\r\n"},
            {520, "AT+CMGL=4\r", "\r\n+CMS ERROR: 314\r\n"},
            {530, "AT+CPBR=1\r", "\r\n+CME ERROR: 14\r\n"},
            {540, "AT+CGMM\r", "\r\nPhoneSim 1\r\n\r\nOK\r\n"},
            {1500, "AT+CPIN?\r", "\r\n+CPIN: SIM PIN\r\n\r\nOK\r\n"},
            {1600, "AT+CPIN=\"1234\"\r", "\r\nOK\r\n"},
            {2599, "AT+CSCA?\r", "\r\n+CMS ERROR: 314\r\n"},
            {2600, "AT+CSCA?\r", "\r\n+CSCA: \"+4917010000\",145\r\n\r\nOK\r\n"}});
}

TEST_F(CPhoneTest, DeviceQuestions)
{
    m_options.bEcho = false;
    Expect({{0, "AT+CGMM\r", "\r\nPhoneSim 1\r\n\r\nOK\r\n"},
            {0, "AT+CSQ\r", "\r\n+CSQ: 20,99\r\n\r\nOK\r\n"},
            {0, "AT+CREG?\r", "\r\n+CREG: 0,1\r\n\r\nOK\r\n"},
            {0, "AT+CSCA?\r", "\r\n+CSCA: \"+4917010000\",145\r\n\r\nOK\r\n"},
            {0, "AT+CSCA=\"0170\",129\r", "\r\nOK\r\n"},
            {0, "AT+CSCA?\r", "\r\n+CSCA: \"0170\",129\r\n\r\nOK\r\n"},
            {0, "AT+CSCA=0170\r", "\r\nERROR\r\n"}});
    m_options.strModel = "Stick 3";
    m_options.nSignal = 99;
    m_options.nNetwork = 5;
    m_options.strSca = "";
    Make();
    Expect({{0, "AT+CGMM\r", "\r\nStick 3\r\n\r\nOK\r\n"},
            {0, "AT+CSQ\r", "\r\n+CSQ: 99,99\r\n\r\nOK\r\n"},
            {0, "AT+CREG=1\r", "\r\nOK\r\n"},
            {0, "AT+CREG?\r", "\r\n+CREG: 1,5\r\n\r\nOK\r\n"},
            {0, "AT+CSCA?\r", "\r\n+CSCA: \"\",129\r\n\r\nOK\r\n"}});
}

// Vendor reports anywhere between lines, never after the prompt; without them the plain answer.
TEST_F(CPhoneTest, StickProfileReportsAtRandom)
{
    std::string strRuns[2];
    std::map<std::string, int> seen;
    m_phonebook.Generate(5);
    const CSimOptions plainOptions = m_options;
    m_options.strProfile = "stick";
    for (std::string& strRun : strRuns) {
        CSimPhone plain(plainOptions, m_phonebook);
        Make();
        for (int i = 0; i < 100; ++i) {
            for (const char* pszSend : {"AT+CMGS=13\r", kPdu, "AT+CPBR=1,5\r"}) {
                std::vector<CSimAction> plainActions;
                for (const char* p = pszSend; *p; ++p)
                    plain.Receive(*p, plainActions);
                const Bursts bursts = BurstsOf(pszSend);
                std::string strReply, strStripped;
                for (const auto& burst : bursts)
                    strReply += burst.first;
                strRun += strReply;
                for (size_t n = 0; n < strReply.size(); ++n) {
                    const size_t nEnd = strReply.compare(n, 3, "\r\n^") == 0 ? strReply.find("\r\n", n + 2) : n;
                    if (nEnd == n)
                        strStripped += strReply[n];
                    n = nEnd == n ? n : nEnd + 1;
                }
                EXPECT_EQ(strStripped, Of(plainActions, CSimAction::SEND).at(0));
                EXPECT_EQ(strReply.find("> \r\n^"), std::string::npos);
                seen["before the echo"] += strReply.compare(0, 3, "\r\n^") == 0;
                seen["after the echo"] += strReply.find("=13\r\r\n^") != std::string::npos;
                seen["before OK"] += strReply.find("\r\n\r\n^") != std::string::npos;
                seen["between lines"] += strReply.find("\"\r\n\r\n^") != std::string::npos;
                seen["after the answer"] += bursts.size() > 1 && bursts.back().first.compare(0, 3, "\r\n^") == 0;
            }
        }
    }
    EXPECT_EQ(strRuns[0], strRuns[1]);
    for (const auto& place : seen)
        EXPECT_GT(place.second, 0) << place.first;
    for (const char* pszKind : {"^RSSI:", "^MODE:5,4\r\n", ",0,0,0,72\r\n"})
        EXPECT_NE(strRuns[0].find(pszKind), std::string::npos) << pszKind;
    EXPECT_NE(Logs(Send("AT\r")).find("\"kinds\":\"vendor-report\",\"profile\":\"stick\",\"text\":\"^"), std::string::npos);
}

// Each family's habits on the wire, from its command line: one row a
// family, and the options over a family's habits.
TEST_F(CPhoneTest, FamiliesShowTheirHabitsOnTheWire)
{
    struct CStep {
        long long nNow;
        const char* pszSend;
        Bursts bursts;
    };
    struct CRow {
        std::vector<std::string> args;
        std::vector<CStep> steps;
        const char* pszLogged;  // in the log of the steps; nullptr: no family's habit
        const char* pszNotLogged = nullptr;  // an option's habit is not the family's
    };
    const std::vector<CRow> rows = {
        {{},
         {{0, "AT+CGMI\r", {{"AT+CGMI\r\r\nPhoneSim\r\n\r\nOK\r\n", 0}}},
          {0, "AT+FOO\r", {{"AT+FOO\r\r\nERROR\r\n", 0}}}},
         nullptr},
        {{"--profile", "phone", "--gap", "300"},
         {{0, "AT+CGMI\r", {{"AT+CGMI\r", 0}, {"\r\nPhoneSim\r\n", 300}, {"\r\nOK\r\n", 300}}},
          {0, "AT\r", {{"AT\r", 0}, {"\r\nOK\r\n", 300}}}},
         "\"command\":\"AT\",\"kinds\":\"split-echo\",\"profile\":\"phone\""},
        {{"--split-echo", "--late-ok", "--gap", "300"},
         {{0, "AT+CGMI\r", {{"AT+CGMI\r", 0}, {"\r\nPhoneSim\r\n", 300}, {"\r\nOK\r\n", 300}}}},
         nullptr},
        {{"--profile", "stick", "--profile-seed", "2", "--no-echo"},
         {{0, "AT+FOO\r", {{"\r\nCOMMAND NOT SUPPORT\r\n", 0}}},
          {0, "AT+CMGF=1\r", {{"\r\nERROR\r\n", 0}, {"\r\n^MODE:5,4\r\n", 200}}},  // known, but not so
          {0, "AT+CGMI\r", {{"\r\n^RSSI:18\r\n\r\nPhoneSim\r\n\r\nOK\r\n", 0}}}},
         "\"command\":\"AT+FOO\",\"kinds\":\"not-supported\",\"profile\":\"stick\""},
        {{"--profile", "module"},
         {{0, "AT\r", {{"\r\nRDY\r\nAT\r\r\n+CFUN: 1\r\n\r\nOK\r\n", 0}}},
          {10, "ATE0\r", {{"ATE0\r\r\n+CPIN: READY\r\n\r\nCall Ready\r\n\r\nOK\r\n", 0}}},
          {2999, "AT+CPMS?\r", {{"\r\nSMS Ready\r\n\r\n+CMS ERROR: 314\r\n", 0}}},
          {3000, "AT+CSCA?\r", {{"\r\n+CSCA: \"+4917010000\",145\r\n\r\nOK\r\n", 0}}}},
         "\"kinds\":\"start-up\",\"profile\":\"module\",\"text\":\"RDY\""},
        {{"--profile", "module", "--sim-busy", "0", "--late-ok"},
         {{0, "AT+CPMS?\r",
           {{"\r\nRDY\r\nAT+CPMS?\r\r\n+CFUN: 1\r\n\r\n+CPMS: \"SM\",0,30,\"ME\",0,100,\"SM\",0,30\r\n", 0},
            {"\r\nOK\r\n", 200}}}},
         "\"kinds\":\"start-up\"",
         "late-ok"},
    };
    for (const CRow& row : rows) {
        SCOPED_TRACE(row.args.empty() ? "a plain phone" : row.args[0] + " " + row.args[1]);
        m_options = CSimOptions();
        std::string strError;
        ASSERT_TRUE(ParseSimOptions(row.args, m_options, strError)) << strError;
        Make();
        std::string strLogs;
        for (const CStep& step : row.steps) {
            m_nNow = step.nNow;
            const std::vector<CSimAction> actions = Send(step.pszSend);
            EXPECT_EQ(BurstsIn(actions), step.bursts) << step.pszSend;
            strLogs += Logs(actions);
        }
        EXPECT_EQ(strLogs.find("\"profile\":") != std::string::npos, row.pszLogged != nullptr) << strLogs;
        if (row.pszLogged) {
            EXPECT_NE(strLogs.find(row.pszLogged), std::string::npos) << strLogs;
        }
        if (row.pszNotLogged) {
            EXPECT_EQ(strLogs.find(row.pszNotLogged), std::string::npos) << strLogs;
        }
    }
}

// Each burst in 1 to 4 pieces, cut anywhere: inside "+CMGS: n", "OK", CR LF and the prompt.
TEST_F(CPhoneTest, SplitRandomCutsEveryBurstAndLosesNothing)
{
    const CSimOptions plainOptions = m_options;
    CSimPhone plain(plainOptions, m_phonebook);
    m_options.nSplitSeed = 5;
    std::map<std::string, int> seen;
    for (int i = 0; i < 150; ++i) {
        for (const char* pszSend : {"AT\r", "AT+CMGS=13\r", kPdu}) {
            std::vector<CSimAction> plainActions;
            for (const char* p = pszSend; *p; ++p)
                plain.Receive(*p, plainActions);
            const Bursts pieces = BurstsOf(pszSend);
            std::string strReply;
            for (size_t n = 0; n < pieces.size(); ++n) {
                strReply += pieces[n].first;
                EXPECT_TRUE(n == 0 || (pieces[n].second >= 60 && pieces[n].second <= 150)) << pieces[n].second;
                const std::string strNext = n + 1 < pieces.size() ? pieces[n + 1].first : std::string();
                seen["in +CMGS"] += strReply.find("+CMG") != std::string::npos && strReply.back() != '\n' &&
                                    strNext.find("\r\n\r\nOK") != std::string::npos;
                seen["in OK"] += strReply.back() == 'O' && strNext.compare(0, 1, "K") == 0;
                seen["in CR LF"] += strReply.back() == '\r' && strNext.compare(0, 1, "\n") == 0;
                seen["in the prompt"] += strReply.back() == '>' && strNext == " ";
            }
            EXPECT_EQ(strReply, Of(plainActions, CSimAction::SEND).at(0));
            EXPECT_LE(pieces.size(), 4u);
            seen["several"] += pieces.size() > 1;
        }
    }
    for (const char* pszPlace : {"in +CMGS", "in OK", "in CR LF", "in the prompt", "several"})
        EXPECT_GT(seen[pszPlace], 0) << pszPlace;
}

} // namespace
