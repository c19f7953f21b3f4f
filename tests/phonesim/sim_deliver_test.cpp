// The messages and status reports the simulator holds for the program, read
// back by the program's own decoders (python3-gammu reads them too:
// tests/system/test_sim_incoming.py), and the file they come from.
#include <gtest/gtest.h>

#include "SimDeliver.h"
#include "SimIncoming.h"
#include "sms/Inbox.h"
#include "sms/StatusReport.h"
#include "support/TestText.h"

namespace {

using test::Repeat;

CIncomingPlan Plan(const char* pszSender, const std::string& strText, const char* pszEncoding,
                   const char* pszTime = "2024-05-17T14:03:09+02:00")
{
    CIncomingPlan plan;
    plan.strSender = pszSender;
    plan.strText = strText;
    plan.strEncoding = pszEncoding;
    EXPECT_TRUE(ParseSimTime(pszTime, plan.time)) << pszTime;
    return plan;
}

std::vector<CReceivedMsg> ReadBack(const CIncomingPlan& plan, size_t nParts)
{
    std::vector<std::string> pdus;
    std::string strError;
    EXPECT_TRUE(EncodeIncoming(plan, pdus, strError)) << strError;
    EXPECT_EQ(pdus.size(), nParts) << plan.strText;
    std::vector<CDeliverSms> listed;
    for (const std::string& strPdu : pdus) {
        listed.push_back(DecodeDeliverPdu(strPdu));
        EXPECT_TRUE(listed.back().bDecoded) << strPdu << ": " << listed.back().strNote;
    }
    return JoinParts(listed);
}

TEST(SimDeliver, MessagesReadBackByTheProgramsDecoder)
{
    const std::string strEmoji = "\xF0\x9F\x98\x80";
    CIncomingPlan sixteen = Plan("+4917012345", Repeat("{Long} ", 50), "gsm7");
    sixteen.b16BitRef = true;
    sixteen.nRef = 0x1234;
    const struct {
        CIncomingPlan plan;
        size_t nParts;
        const char* pszText;  // when not the plan's text
        EAlphabet alphabet;
    } cases[] = {
        {Plan("+4917012345", "Price 5\xE2\x82\xAC [a] ~|^\\ @\xC2\xA3$ \xC3\xA8 \xCE\xA9\n\f", "gsm7"), 1, nullptr,
         EAlphabet::ALPHABET_GSM7},
        {Plan("0123456789", "", "gsm7", "2024-02-29T23:59:59-05:30"), 1, nullptr, EAlphabet::ALPHABET_GSM7},
        {Plan("Zandu", "Code 1234", "gsm7"), 1, nullptr, EAlphabet::ALPHABET_GSM7},
        {Plan("+4917012345", Repeat("\xD0\xB6" + strEmoji, 60), "ucs2"), 3, nullptr, EAlphabet::ALPHABET_UCS2},
        {Plan("+4917012345", Repeat("x", 153) + "[" + Repeat("y", 10), "gsm7"), 2, nullptr, EAlphabet::ALPHABET_GSM7},
        {sixteen, 3, nullptr, EAlphabet::ALPHABET_GSM7},
        {Plan("+4917012345", std::string("\x00\x01\xFF", 3), "8bit"), 1, "0001FF", EAlphabet::ALPHABET_8BIT},
    };
    for (const auto& c : cases) {
        const std::vector<CReceivedMsg> messages = ReadBack(c.plan, c.nParts);
        ASSERT_EQ(messages.size(), 1u) << c.plan.strText;
        const CReceivedMsg& msg = messages[0];
        EXPECT_EQ(WideToUtf8(msg.GetText()), c.pszText ? c.pszText : c.plan.strText);
        EXPECT_EQ(WideToUtf8(msg.strSender), c.plan.strSender);
        EXPECT_EQ(msg.alphabet, c.alphabet);
        EXPECT_TRUE(msg.IsComplete());
        EXPECT_EQ(msg.nTotal, c.nParts);
        EXPECT_EQ(msg.b16BitRef, c.plan.b16BitRef);
        EXPECT_EQ(msg.nRef, c.nParts > 1 ? c.plan.nRef : 0u);
    }
    EXPECT_EQ(ReadBack(cases[0].plan, 1)[0].time.Format(), "2024-05-17T14:03:09+02:00");
    EXPECT_EQ(ReadBack(cases[1].plan, 1)[0].time.Format(), "2024-02-29T23:59:59-05:30");
}

TEST(SimDeliver, PartsTheFileLeavesOutOrReorders)
{
    CIncomingPlan plan = Plan("+4917012345", Repeat("a", 153) + Repeat("b", 153) + "c", "gsm7");
    plan.parts = {3, 1};
    const std::vector<CReceivedMsg> messages = ReadBack(plan, 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(WideToUtf8(messages[0].GetText()), Repeat("a", 153) + "[part 2 of 3 missing]c");
}

TEST(SimDeliver, StatusReports)
{
    CReportPlan plan;
    plan.nMr = 241;
    plan.strRecipient = "+4917012345";
    ASSERT_TRUE(ParseSimTime("2024-05-17T14:03:09+02:00", plan.scts));
    ASSERT_TRUE(ParseSimTime("2024-05-17T14:03:20-01:15", plan.discharge));
    for (unsigned nStatus : {0x00u, 0x21u, 0x46u, 0x62u}) {
        plan.nStatus = nStatus;
        const CStatusReport report = DecodeStatusReport(EncodeStatusReport(plan));
        ASSERT_TRUE(report.bDecoded) << report.strNote;
        EXPECT_EQ(report.nMr, 241u);
        EXPECT_EQ(WideToUtf8(report.strRecipient), "+4917012345");
        EXPECT_EQ(report.scts.Format(), "2024-05-17T14:03:09+02:00");
        EXPECT_EQ(report.discharge.Format(), "2024-05-17T14:03:20-01:15");
        EXPECT_EQ(report.btStatus, nStatus);
        EXPECT_EQ(WideToUtf8(report.strSmsc), "+491710760000");
    }
}

TEST(SimDeliver, WhatCannotBeEncodedIsRefused)
{
    CIncomingPlan partBeyond = Plan("+4917012345", "short", "gsm7");
    partBeyond.parts = {1, 2};
    const CIncomingPlan refused[] = {
        Plan("+4917012345", "\xD0\xB6", "gsm7"),        // Cyrillic is not in the GSM alphabet
        Plan("+4917012345", "abc", "utf-7"),
        Plan("+4917012345", "\xC3", "ucs2"),            // not UTF-8
        Plan("Zandu Mobile Co", "abc", "gsm7"),         // an alphanumeric sender of 15 septets
        Plan("", "abc", "gsm7"),                        // no sender
        Plan("+4917012345", Repeat("x", 153 * 255 + 1), "gsm7"),
        partBeyond,
    };
    for (const CIncomingPlan& plan : refused) {
        std::vector<std::string> pdus;
        std::string strError;
        EXPECT_FALSE(EncodeIncoming(plan, pdus, strError)) << plan.strSender << " " << plan.strText.substr(0, 9);
        EXPECT_FALSE(strError.empty());
        EXPECT_TRUE(pdus.empty());
    }
}

TEST(SimIncoming, TheFile)
{
    std::vector<CIncomingPlan> messages;
    std::string strError;
    ASSERT_TRUE(ParseIncoming(R"({"messages": [
        {"sender": "+4917012345", "time": "2024-05-17T14:03:09+02:00", "text": "Hello"},
        {"sender": "Zandu", "time": "2024-05-17T14:05:00-05:30", "text": "Hi", "encoding": "ucs2",
         "reference": 300, "reference_bits": 16, "parts": [1], "storage": "ME", "read": true}]})",
                              messages, strError))
        << strError;
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].strEncoding, "gsm7");
    EXPECT_EQ(messages[0].nRef, 1u);
    EXPECT_FALSE(messages[0].b16BitRef);
    EXPECT_EQ(messages[0].strStorage, "SM");
    EXPECT_EQ(messages[1].time.nZoneQuarters, -22);
    EXPECT_EQ(messages[1].nRef, 300u);
    EXPECT_TRUE(messages[1].b16BitRef);
    EXPECT_EQ(messages[1].parts, std::vector<unsigned>{1});
    EXPECT_EQ(messages[1].strStorage, "ME");
    EXPECT_TRUE(messages[1].bRead);

    const char* const bad[] = {
        "", "{}", R"({"messages": [{"sender": "1", "text": "a"}]})",
        R"({"messages": [{"sender": "1", "time": "2024-05-17 14:03:09", "text": "a"}]})",
        R"({"messages": [{"sender": "1", "time": "2024-05-17T14:03:09+02:00", "text": "a", "reference": 256}]})",
        R"({"messages": [{"sender": "1", "time": "2024-05-17T14:03:09+02:00", "text": "a", "reference_bits": 7}]})",
        R"({"messages": [{"sender": "1", "time": "2024-05-17T14:03:09+02:00", "text": "a", "parts": [2]}]})",
        R"({"messages": [{"sender": "1", "time": "2024-05-17T14:03:09+02:00", "text": 5}]})",
    };
    for (const char* psz : bad) {
        EXPECT_FALSE(ParseIncoming(psz, messages, strError)) << psz;
        EXPECT_FALSE(strError.empty());
        EXPECT_TRUE(messages.empty());
    }
    EXPECT_FALSE(LoadIncoming("/nonexistent/incoming.json", messages, strError));
}

} // namespace
