// The simulator's command line, its log format and its phone-book texts.
#include <gtest/gtest.h>

#include "SimJson.h"
#include "SimOptions.h"
#include "SimPhonebook.h"

namespace {

TEST(SimOptions, Behaviours)
{
    CSimOptions options;
    std::string strError;
    ASSERT_TRUE(ParseSimOptions({"--link", "/tmp/COM5", "--baud", "9600", "--split-echo", "--late-ok", "--error",
                                 "at+cmgs:500@2", "--error", "ATE0", "--silent-after", "3", "--hangup-in-pdu", "1",
                                 "--no-echo", "--phonebook", "7", "--gap", "80"},
                                options, strError))
        << strError;
    EXPECT_EQ(options.strLink, "/tmp/COM5");
    EXPECT_EQ(options.nBaud, 9600u);
    EXPECT_TRUE(options.bSplitEcho && options.bLateOk);
    EXPECT_FALSE(options.bEcho);
    ASSERT_EQ(options.fails.size(), 2u);
    EXPECT_EQ(options.fails[0].strCommand, "AT+CMGS");
    EXPECT_EQ(options.fails[0].nCode, 500);
    EXPECT_EQ(options.fails[0].nOccurrence, 2u);
    EXPECT_EQ(options.fails[1].strCommand, "ATE0");
    EXPECT_EQ(options.fails[1].nCode, -1);
    EXPECT_EQ(options.fails[1].nOccurrence, 0u);
    EXPECT_EQ(options.nSilentAfter, 3);
    EXPECT_EQ(options.nHangupInPdu, 1);
    EXPECT_EQ(options.nPhonebook, 7u);
    EXPECT_EQ(options.nGapMs, 80u);
}

// A later option wins over an earlier one that sets the same; a value is
// never taken for an option; a value may follow an equals sign.
TEST(SimOptions, TakenInTheCommandLinesOrder)
{
    CSimOptions options;
    std::string strError;
    ASSERT_TRUE(ParseSimOptions({"--silent-after", "3", "--silent", "--maker", "--busy", "--gap=80"}, options, strError))
        << strError;
    EXPECT_EQ(options.nSilentAfter, 0);
    EXPECT_EQ(options.strMaker, "--busy");
    EXPECT_FALSE(options.bBusy);
    EXPECT_EQ(options.nGapMs, 80u);
    EXPECT_FALSE(ParseSimOptions({"--gap", "x", "--frobnicate"}, options, strError));
    EXPECT_EQ(strError, "--gap takes a number up to 60000");
}

TEST(SimOptions, PhonesThatSayMore)
{
    CSimOptions options;
    std::string strError;
    ASSERT_TRUE(ParseSimOptions({"--unsolicited", "at+cmgs@2=+CMTI: \"SM\",3", "--unsolicited", "*=+CMT: ,3\\n00AA",
                                 "--unsolicited", "random=RING", "--babble", "echo", "--pdu-delay", "1500",
                                 "--cpbr-not-found"},
                                options, strError))
        << strError;
    ASSERT_EQ(options.unsolicited.size(), 3u);
    EXPECT_EQ(options.unsolicited[0].strWhen, "AT+CMGS");
    EXPECT_EQ(options.unsolicited[0].nOccurrence, 2u);
    EXPECT_EQ(options.unsolicited[0].strText, "+CMTI: \"SM\",3");
    EXPECT_EQ(options.unsolicited[1].strText, "+CMT: ,3\r\n00AA");
    EXPECT_EQ(options.unsolicited[2].strWhen, "RANDOM");
    EXPECT_EQ(options.nBabble, CSimOptions::BABBLE_ECHO);
    EXPECT_EQ(options.nPduDelayMs, 1500u);
    EXPECT_TRUE(options.bEmptyRangeNotFound);
}

TEST(SimOptions, ModemFamilies)
{
    CSimOptions options;
    EXPECT_EQ(options.nSimBusyMs, -1);  // not given: the profile decides
    EXPECT_EQ(options.strSimPuk, "12345678");
    EXPECT_EQ(options.nProfileSeed, 1u);
    std::string strError;
    ASSERT_TRUE(ParseSimOptions({"--left-at-prompt", "--prompt-delay", "800", "--sim-pin", "1234", "--sim-puk",
                                 "87654321", "--sim-busy", "0", "--split-random", "9", "--model", "Stick 3",
                                 "--signal", "99", "--network", "5", "--sca", "", "--profile", "module",
                                 "--profile-seed", "4", "--random-quirks", "3", "--network-quirks", "180000"},
                                options, strError))
        << strError;
    EXPECT_TRUE(options.bLeftAtPrompt);
    EXPECT_EQ(options.nPromptDelayMs, 800u);
    EXPECT_EQ(options.strSimPin + options.strSimPuk, "123487654321");
    EXPECT_EQ(options.nSimBusyMs, 0);
    EXPECT_EQ(options.nSplitSeed, 9u);
    EXPECT_EQ(options.strModel, "Stick 3");
    EXPECT_EQ(options.nSignal, 99u);
    EXPECT_EQ(options.nNetwork, 5u);
    EXPECT_EQ(options.strSca, "");
    EXPECT_EQ(options.strProfile, "module");
    EXPECT_EQ(options.nProfileSeed, 4u);
    EXPECT_EQ(options.nNetworkWaitMs, 180000u);
}

TEST(SimOptions, BadCommandLines)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"--link"}, {"--baud", "fast"}, {"--error", ""}, {"--error", ":5"},
             {"--error", "AT@0"}, {"--error", "AT:x"}, {"--hangup-after", "0"}, {"--silent-after", "-1"},
             {"--unsolicited", "RING"}, {"--unsolicited", "=RING"}, {"--unsolicited", "AT="},
             {"--unsolicited", "AT@0=RING"}, {"--babble", "loud"}, {"--pdu-delay", "soon"},
             {"--random-quirks", "0"}, {"--noise", "much"}, {"--sim-pin", "123"}, {"--sim-pin", "12a4"},
             {"--sim-puk", "1234"}, {"--sim-busy", "x"}, {"--split-random", "0"}, {"--signal", "32"},
             {"--network", "6"}, {"--sca", "+49 170"}, {"--sca", "++49"}, {"--profile", "fax"}, {"--prompt-delay"},
             {"--network-quirks", "1000"}, {"--random-quirks", "1", "--network-quirks", "0"}}) {
        CSimOptions options;
        std::string strError;
        EXPECT_FALSE(ParseSimOptions(args, options, strError)) << args[0];
        EXPECT_FALSE(strError.empty()) << args[0];
    }
}

TEST(SimJson, StringsAreAlwaysValidJson)
{
    EXPECT_EQ(JsonString("a\"b\\c\r\n\t\x01"), "\"a\\\"b\\\\c\\r\\n\\t\\u0001\"");
    EXPECT_EQ(JsonString("Gr\xC3\xBC\xC3\x9F"), "\"Gr\xC3\xBC\xC3\x9F\"");
    EXPECT_EQ(JsonString("\xFF\xC3"), "\"\\u00ff\\u00c3\"");  // bytes that are no UTF-8
    EXPECT_EQ(CJsonFields().Add("event", "x").Add("n", 3).Add("ok", true).Text(), "\"event\":\"x\",\"n\":3,\"ok\":true");
}

TEST(SimPhonebook, NamesInEachCharacterSet)
{
    const std::string strName = "Zo\xC3\xAB \"Q\" \\ \xF0\x9F\x98\x80";
    EXPECT_EQ(EncodeName(strName, CS_UTF8), "Zo\xC3\xAB \\22Q\\22 \\5C \xF0\x9F\x98\x80");
    EXPECT_EQ(EncodeName(strName, CS_IRA), "Zo? \\22Q\\22 \\5C ?");
    EXPECT_EQ(EncodeName(strName, CS_GSM), "Zo? \\22Q\\22 \\5C ?");
    EXPECT_EQ(EncodeName("A\xC3\xAB\xF0\x9F\x98\x80", CS_UCS2), "004100EBD83DDE00");
    EXPECT_EQ(EncodeName("\xFF", CS_UTF8), "\xEF\xBF\xBD");
}

TEST(SimPhonebook, EntryLines)
{
    EXPECT_EQ(FormatEntry(7, CSimEntry{"+491701234", "Anna"}, CS_IRA), "+CPBR: 7,\"491701234\",145,\"Anna\"");
    EXPECT_EQ(FormatEntry(8, CSimEntry{"0301234", "Bob"}, CS_IRA), "+CPBR: 8,\"0301234\",129,\"Bob\"");
}

TEST(SimPhonebook, BadFilesAreRefusedWithTheLine)
{
    CSimPhonebook book;
    std::string strError;
    EXPECT_FALSE(book.Load("123\tA\nnot-a-number\tB\n", strError));
    EXPECT_NE(strError.find("line 2"), std::string::npos);
    EXPECT_FALSE(book.Load("12345\n", strError));  // no name
    EXPECT_TRUE(book.Load("", strError));
    EXPECT_EQ(book.m_nCapacity, 0u);
}

TEST(SimPhonebook, GeneratedEntries)
{
    CSimPhonebook book;
    book.Generate(12);
    EXPECT_EQ(book.m_nCapacity, 12u);
    ASSERT_EQ(book.m_entries.size(), 12u);
    EXPECT_EQ(book.m_entries[1].strNumber[0], '+');
    EXPECT_NE(book.m_entries[2].strNumber[0], '+');
    EXPECT_NE(book.m_entries[1].strName, book.m_entries[2].strName);
}

} // namespace
