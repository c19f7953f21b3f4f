// The parsers of phone replies, on well-formed, real-world and odd input.
#include <gtest/gtest.h>

#include "phone/PhoneError.h"
#include "phone/PhoneReply.h"
#include "phone/Unsolicited.h"

namespace {

typedef std::vector<std::string> Strings;

TEST(PhoneReply, FinalResultCodes)
{
    EXPECT_EQ(GetFinalResult("OK"), EFinalResult::FINAL_OK);
    EXPECT_EQ(GetFinalResult("ERROR"), EFinalResult::FINAL_ERROR);
    EXPECT_EQ(GetFinalResult("+CME ERROR: 21"), EFinalResult::FINAL_ERROR);
    EXPECT_EQ(GetFinalResult("+CMS ERROR: 500"), EFinalResult::FINAL_ERROR);
    EXPECT_EQ(GetFinalResult("COMMAND NOT SUPPORT"), EFinalResult::FINAL_ERROR);
    for (const char* psz : {"ok", "OK ", "OKAY", "+CPBR: 1,\"OK\",129,\"OK\"", "", "ERRORS?", "RING"})
        EXPECT_EQ(GetFinalResult(psz), EFinalResult::FINAL_NONE) << psz;
}

// The prompt is "> " at the start of a line no line break follows; a zero
// byte is noise.
TEST(PhoneReply, ThePromptAndTheNoise)
{
    const struct {
        const char* pszBurst;
        size_t nBytes;
        Strings lines;
        bool bPrompt;
    } cases[] = {
        {"\r\n> ", 4, {}, true},
        {"OK\r\n\r\n> ", 8, {"OK"}, true},
        {"AT+CMGS=15\r\r\n>", 15, {"AT+CMGS=15"}, true},
        {"> \r\n", 4, {">"}, false},
        {"OK>", 3, {}, false},
        {"\r\n>>", 4, {}, false},
        {"\r\nO\0K\r\n\0", 8, {"OK"}, false},
        {"\0\0+CMGS: 1\0" "7\r\n", 14, {"+CMGS: 17"}, false},
    };
    for (const auto& c : cases) {
        CReplyLines reply(64);
        Strings lines;
        EXPECT_TRUE(reply.Feed(std::string(c.pszBurst, c.nBytes), lines));
        EXPECT_EQ(lines, c.lines) << c.pszBurst;
        EXPECT_EQ(reply.TakePrompt(), c.bPrompt) << c.pszBurst;
    }
}

// What a phone says on its own, with modules' start-up lines and vendors'
// reports; "+CPIN:" and "+CSQ:" are the answer when asked for.
TEST(PhoneReply, UnsolicitedLinesOfRealModems)
{
    const struct {
        const char* pszLine;
        const char* pszAsked;  // the answer the command asks for
        bool bKept;
    } cases[] = {
        {"+CREG: 1", "", false},        {"RING", "", false},           {"+CDSI: \"SR\",2", "", false},
        {"^RSSI:9", "", false},         {"^BOOT:1,0,0,0,72", "", false}, {"RDY", "", false},
        {"+CFUN: 1", "", false},        {"+CPIN: READY", "", false},   {"Call Ready", "", false},
        {"SMS Ready", "", false},       {"PB DONE", "", false},        {"SMS DONE", "", false},
        {"+QIND: SMS DONE", "", false}, {"+QUSIM: 1", "", false},      {"+CSQ: 17,99", "", false},
        {"+CUSD: 0,\"Hi\",15", "", false},
        {"+CPIN: SIM PIN", "+CPIN:", true}, {"+CSQ: 17,99", "+CSQ:", true}, {"+CREG: 0,1", "+CREG:", true},
        {"RINGS", "", true},            {"+CMGS: 4", "", true},        {"Ready", "", true},
        {"+CPBR: 1,\"1\",129,\"RING\"", "", true}, {"+cmti: 3", "", true},
    };
    for (const auto& c : cases) {
        CUnsolicitedFilter filter;
        filter.SetAnswerPrefix(c.pszAsked);
        EXPECT_EQ(filter.KeepLine(c.pszLine), c.bKept) << c.pszLine;
    }
    CUnsolicitedFilter filter;  // a code's PDU line goes with it
    EXPECT_FALSE(filter.KeepLine("+CMT: ,5"));
    EXPECT_FALSE(filter.KeepLine("0011AA"));
    EXPECT_TRUE(filter.KeepLine("OK"));
}

TEST(PhoneError, ReportsAndTheirMeanings)
{
    // The codes phones really send, each with a meaning.
    for (unsigned n : {21u, 27u, 28u, 38u, 41u, 42u, 47u, 50u, 69u, 96u, 111u, 304u, 305u, 310u, 311u, 312u, 313u,
                       314u, 315u, 316u, 317u, 318u, 320u, 321u, 322u, 330u, 331u, 332u, 500u, 512u, 513u, 514u, 515u})
        EXPECT_NE(GetPhoneErrorMeaning(CPhoneError::EKind::CMS, n), nullptr) << n;
    for (unsigned n : {3u, 4u, 10u, 11u, 12u, 13u, 14u, 20u, 21u, 22u, 30u, 31u, 100u, 515u})
        EXPECT_NE(GetPhoneErrorMeaning(CPhoneError::EKind::CME, n), nullptr) << n;

    const std::pair<const char*, const char*> cases[] = {
        {"+CMS ERROR: 38", "network out of order (+CMS ERROR: 38)"},
        {"\r\n+CMS ERROR: 042\r\n", "congestion (+CMS ERROR: 42)"},
        {"+CMS ERROR: 304", "invalid PDU mode parameter (+CMS ERROR: 304)"},
        {"+CME ERROR: 10", "SIM not inserted (+CME ERROR: 10)"},
        {"+CMGS: 1\r\n+CME ERROR: 515", "please wait, initialisation or command processing in progress (+CME ERROR: 515)"},
        {"+CMS ERROR: 999", "+CMS ERROR: 999"},
        {"+CME ERROR: SIM not inserted", "SIM not inserted"},
        {"ERROR", ""},
        {"+CMS ERROR:", ""},
        {"OK", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescribePhoneError(c.first), c.second) << c.first;
}

TEST(PhoneError, TransientOnesOnly)
{
    for (const char* psz : {"+CMS ERROR: 38", "+CMS ERROR: 41", "+CMS ERROR: 42", "+CMS ERROR: 47",
                            "+CMS ERROR: 331", "+CMS ERROR: 314", "+CME ERROR: 14", "+CME ERROR: 515"}) {
        CPhoneError error;
        ASSERT_TRUE(FindPhoneError(psz, error)) << psz;
        EXPECT_TRUE(IsTransient(error)) << psz;
    }
    // 332: the network may hold the message already.
    for (const char* psz : {"+CMS ERROR: 500", "+CMS ERROR: 304", "+CME ERROR: 38", "+CMS ERROR: 515",
                            "+CMS ERROR: congestion", "+CME ERROR: 22", "+CMS ERROR: 332", "+CMS ERROR: 311"}) {
        CPhoneError error;
        ASSERT_TRUE(FindPhoneError(psz, error)) << psz;
        EXPECT_FALSE(IsTransient(error)) << psz;
    }
}

// The network's time-out, however a phone words it, may have let the message
// go; other refusals of a PDU say it did not.
TEST(PhoneError, TheNetworksTimeOutInEveryFormMayHaveSentIt)
{
    for (const char* psz : {"+CMS ERROR: 332", "+CME ERROR: 31", "+CMS ERROR: network timeout",
                            "+CMS ERROR: Network timeout", "+CME ERROR: NETWORK TIMEOUT"}) {
        CPhoneError error;
        ASSERT_TRUE(FindPhoneError(psz, error)) << psz;
        EXPECT_TRUE(MayHaveBeenSent(error)) << psz;
    }
    for (const char* psz : {"+CMS ERROR: 500", "+CME ERROR: 332", "+CMS ERROR: 31", "+CMS ERROR: congestion",
                            "+CMS ERROR: network timeout soon"}) {
        CPhoneError error;
        ASSERT_TRUE(FindPhoneError(psz, error)) << psz;
        EXPECT_FALSE(MayHaveBeenSent(error)) << psz;
    }
}

TEST(PhoneReply, LinesAcrossBursts)
{
    CReplyLines reply(64);
    Strings lines;
    EXPECT_TRUE(reply.Feed("\r\n+CPBR: 1,\"12\",129,\"A", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_TRUE(reply.Feed("nna\"\r", lines));
    EXPECT_EQ(lines, Strings({"+CPBR: 1,\"12\",129,\"Anna\""}));
    EXPECT_TRUE(reply.Feed("\n\r\nO", lines));
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_TRUE(reply.Feed("K", lines));  // a final code without a line break
    EXPECT_EQ(lines, Strings({"+CPBR: 1,\"12\",129,\"Anna\"", "OK"}));

    lines.clear();
    reply.Clear();
    EXPECT_TRUE(reply.Feed("a\nb\rc\r\n\n\r d \r\nERROR", lines));
    EXPECT_EQ(lines, Strings({"a", "b", "c", "d", "ERROR"}));
}

TEST(PhoneReply, LinesAreBounded)
{
    CReplyLines reply(16);
    Strings lines;
    EXPECT_TRUE(reply.Feed(std::string(16, 'x'), lines));
    EXPECT_FALSE(reply.Feed("x", lines));
    // After refusing, the unfinished line is gone: memory stays bounded.
    EXPECT_TRUE(reply.Feed("\r\nOK\r\n", lines));
    EXPECT_EQ(lines, Strings({"OK"}));
}

TEST(PhoneReply, PhonebookRange)
{
    struct Case {
        const char* psz;
        unsigned nFirst;
        unsigned nLast;
    } good[] = {
        {"+CPBR: (1-250),40,14", 1, 250},
        {"+CPBR: (1-250)", 1, 250},
        {"+CPBR:(1-250),40,14", 1, 250},
        {"+CPBR: ( 1 - 250 ) , 40 , 14", 1, 250},
        {"+CPBR: (5)", 5, 5},
        {"+CPBR: 1-100,20,10", 1, 100},
        {"+CPBR: (0-0),0,0", 0, 0},
        {"+CPBR: (1-999999999)", 1, 999999999},
    };
    for (const Case& c : good) {
        unsigned nFirst = 77;
        unsigned nLast = 77;
        EXPECT_TRUE(ParsePhonebookRange(c.psz, nFirst, nLast)) << c.psz;
        EXPECT_EQ(nFirst, c.nFirst) << c.psz;
        EXPECT_EQ(nLast, c.nLast) << c.psz;
    }
    for (const char* psz : {"+CPBR: (250-1)", "+CPBR: ()", "+CPBR: (1-)", "+CPBR: (1-250", "+CPBR: (a-b)",
                            "+CPBR: (1-4294967296)", "+CPBR: (1-250)x", "+CPBS: (1-250)", "", "+CPBR:"}) {
        unsigned nFirst = 0;
        unsigned nLast = 0;
        EXPECT_FALSE(ParsePhonebookRange(psz, nFirst, nLast)) << psz;
    }
}

std::string Entry(const std::string& strLine)
{
    CPhonebookEntry entry;
    if (!ParsePhonebookEntry(strLine, entry))
        return "refused";
    return std::to_string(entry.nIndex) + "|" + WideToUtf8(entry.strNumber) + "|" + WideToUtf8(entry.strName);
}

TEST(PhoneReply, PhonebookEntries)
{
    EXPECT_EQ(Entry("+CPBR: 1,\"5551234\",129,\"Anna\""), "1|5551234|Anna");
    EXPECT_EQ(Entry("+CPBR:12, \"5551234\" , 129 , \"Anna\" "), "12|5551234|Anna");
    // International numbers get their '+' once.
    EXPECT_EQ(Entry("+CPBR: 2,\"4930123\",145,\"B\""), "2|+4930123|B");
    EXPECT_EQ(Entry("+CPBR: 2,\"+4930123\",145,\"B\""), "2|+4930123|B");
    EXPECT_EQ(Entry("+CPBR: 2,\"\",145,\"B\""), "2||B");
    // Quotes and commas inside the name, and fields after it.
    EXPECT_EQ(Entry("+CPBR: 3,\"1\",129,\"Bob \"The Builder\", Jr.\""), "3|1|Bob \"The Builder\", Jr.");
    EXPECT_EQ(Entry("+CPBR: 3,\"1\",129,\"Smith, J\",0"), "3|1|Smith, J");
    EXPECT_EQ(Entry("+CPBR: 3,\"1\",129,\"Say \"hi\",0,\"Work\",\"\",129"), "3|1|Say \"hi");
    EXPECT_EQ(Entry("+CPBR: 3,\"1\",129,\"\"\"\""), "3|1|\"\"");
    EXPECT_EQ(Entry("+CPBR: 3,\"1\",129,\"\""), "3|1|");
    // UTF-8 names; a malformed sequence becomes U+FFFD, not a failure.
    EXPECT_EQ(Entry("+CPBR: 4,\"1\",129,\"\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0\""), "4|1|\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0");
    EXPECT_EQ(Entry("+CPBR: 4,\"1\",129,\"A\xC3\""), "4|1|A\xEF\xBF\xBD");
    // Quotes and backslashes escaped in the 27.007 way, hex digits in either case.
    EXPECT_EQ(Entry("+CPBR: 6,\"1\",129,\"Dr. \\22Bob\\22 Smith\""), "6|1|Dr. \"Bob\" Smith");
    EXPECT_EQ(Entry("+CPBR: 6,\"1\",129,\"Back\\5Cslash\\5c\""), "6|1|Back\\slash\\");
    EXPECT_EQ(Entry("+CPBR: 6,\"1\",129,\"\\22,\\22\",0"), "6|1|\",\"");
    EXPECT_EQ(Entry("+CPBR: 6,\"1\",129,\"J\\C3\\BCrgen\""), "6|1|J\xC3\xBCrgen");
    // A backslash without two hex digits stands for itself; escaped control
    // characters (a tab, a line break, a zero) become spaces.
    EXPECT_EQ(Entry("+CPBR: 6,\"1\",129,\"a\\b \\2 \\2G \\\""), "6|1|a\\b \\2 \\2G \\");
    EXPECT_EQ(Entry("+CPBR: 6,\"1\",129,\"A\\09B\\0aC\\00D\\7F\""), "6|1|A B C D ");
    // Unquoted and missing fields.
    EXPECT_EQ(Entry("+CPBR: 5,5550005,129,Plain name"), "5|5550005|Plain name");
    EXPECT_EQ(Entry("+CPBR: 5,5550005,145"), "5|+5550005|");
    EXPECT_EQ(Entry("+CPBR: 5,\"5550005\""), "5|5550005|");
    EXPECT_EQ(Entry("+CPBR: 5,\"5550005\",x9,\"T\""), "5|5550005|T");
    EXPECT_EQ(Entry("+CPBR: 5,\"1\",129,\"No end"), "5|1|No end");
    // Not entries at all.
    for (const char* psz : {"+CPBR: (1-250),40,14", "+CPBR: ,\"1\",129,\"A\"", "+CPBR: 1", "+CPBR: 1 \"1\"",
                            "+CPBR: 1,\"12", "+CPBS: 1,\"1\",129,\"A\"", "", "+CPBR: 1234567890,\"1\""})
        EXPECT_EQ(Entry(psz), "refused") << psz;
}

TEST(PhoneReply, ModelText)
{
    EXPECT_EQ(GetModelText({"Acme"}), "Acme");
    EXPECT_EQ(GetModelText({"+CGMI: Acme", "Mobile"}), "Acme Mobile");
    EXPECT_EQ(GetModelText({"+CGMI:"}), "");
    EXPECT_EQ(GetModelText({}), "");
}

} // namespace
