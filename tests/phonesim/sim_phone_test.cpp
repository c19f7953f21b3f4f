// The simulated phone's answers, bursts and events, byte by byte.
#include <gtest/gtest.h>

#include "SimPhone.h"

namespace {

class CPhoneTest : public ::testing::Test {
protected:
    void Make()
    {
        m_pPhone.reset(new CSimPhone(m_options, m_phonebook));
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
        std::vector<std::pair<std::string, unsigned>> out;
        for (const CSimAction& a : Send(strBytes))
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

    CSimOptions m_options;
    CSimPhonebook m_phonebook;
    std::unique_ptr<CSimPhone> m_pPhone;
};

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

} // namespace
