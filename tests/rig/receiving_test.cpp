// Receiving on the in-process phone and its clock: the port kept open, what
// the phone announces read as it comes, a phone that announces nothing
// listed every minute, a request among the announcements, the port lost and
// back, the reports on a message sent (stored and announced, or passed on).
// One row a way of receiving.
#include <gtest/gtest.h>

#include <filesystem>

#include "SimDeliver.h"
#include "SimPdu.h"
#include "app/Receiver.h"
#include "app/RequestRecorder.h"
#include "support/FakeListKey.h"
#include "support/RequestHarness.h"
#include "support/SimLine.h"
#include "support/TestText.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<std::string> Strings;
typedef CSimLine::Us Us;
const Us kSecond = 1000000;

class CReceivingHost : public CTestHost, public CReceiverHost {
public:
    void OnMessageReceived(const CReceivedMsg& msg) override
    {
        m_received.push_back(WideToUtf8(msg.strSender) + ": " + WideToUtf8(msg.GetText()));
        m_statesAtReceipt.push_back(m_states.empty() ? -1 : m_states.back());
    }
    void OnReportApplied(const CStatusReport&, const WString& strKey) override { m_reports.push_back(strKey); }
    void OnListening(EListening eState, const WString&) override { m_states.push_back(static_cast<int>(eState)); }
    void OnReceiveFailure(const std::string& strError) override { m_failures.push_back(strError); }
    void OnStatus(const WString& strText, bool) override { m_statuses.push_back(WideToUtf8(strText)); }

    Strings m_received, m_failures, m_statuses;
    std::vector<WString> m_reports;
    std::vector<int> m_states, m_statesAtReceipt;  // what the status line said when each message came
};

struct CWay {
    const char* pszName;
    std::function<void(CSimOptions&)> phone;
    std::vector<CIncomingPlan> incoming;  // empty: the simulator's own senders
    double dSendAt;                       // a send of "Hi" to 0123456789 at this second; < 0: none
    double dSeconds;                      // how long the phone is listened to
    size_t nReceived;                     // messages the host heard of
    size_t nListings, nMaxListings;       // listings of the memories ("AT+CPMS?" starts each)
    Strings after;                        // commands that came after the send, in order (from its "AT+CMGS")
    std::vector<int> states;              // the listening states the host heard
    size_t nReports = 0;                  // reports applied to the send, which asks for them when not 0
    std::function<void(CSimLine&)> atTwelve = nullptr;  // what else happens 12 s in
};

CIncomingPlan Message(const char* pszText, const char* pszStorage = "SM")
{
    CIncomingPlan plan;
    plan.strText = pszText;
    plan.strStorage = pszStorage;
    return plan;
}

// The network's report on the message sent, passed on by the phone by itself.
void PassOnReport(CSimLine& line)
{
    CReportPlan plan;
    plan.nMr = line.Events("report_due").at(0).value("mr", 0u);
    plan.strRecipient = "0123456789";
    const std::string strPdu = EncodeStatusReport(plan);
    unsigned nOctets = 0;
    ASSERT_TRUE(GetTpduOctets(strPdu, nOctets));
    line.Inject("\r\n+CDS: " + std::to_string(nOctets) + "\r\n" + strPdu + "\r\n");
}

const int kListening = static_cast<int>(EListening::LISTENING);
const int kLost = static_cast<int>(EListening::LOST);

std::vector<CWay> Ways()
{
    return {
        {"announced with +CMTI in SM", [](CSimOptions& o) { o.incomingAt = {5, 9}; },
         {Message("One"), Message("Two")}, -1, 20, 2, 1, 1, {}, {kListening}},
        {"announced with +CMTI in ME", [](CSimOptions& o) { o.incomingAt = {5}; }, {Message("In ME", "ME")}, -1, 20,
         1, 1, 1, {}, {kListening}},
        {"mixed with a vendor's status lines", [](CSimOptions& o) {
             o.incomingAt = {5};
             o.strProfile = "stick";
         },
         {Message("Among the noise")}, -1, 20, 1, 1, 1, {}, {kListening}},
        {"a phone that refuses AT+CNMI: listed every 60 s", [](CSimOptions& o) {
             o.incomingAt = {30};
             o.strProfile = "no-cnmi";
         },
         {Message("Polled")}, -1, 150, 1, 3, 3, {}, {kListening}},
        {"a send while messages are announced", [](CSimOptions& o) { o.incomingAt = {6, 7}; },
         {Message("During"), Message("the send")}, 5.5, 30, 2, 1, 1,
         {"AT+CMGS=15", "AT", "ATE0", "AT+CMGR=1", "AT+CMGD=1", "AT", "ATE0", "AT+CMGR=1"}, {kListening}},
        {"the cable pulled and back: one listing finds what came", [](CSimOptions& o) {
             o.incomingAt = {12};
             o.nUnplugAt = 10;
             o.nUnplugFor = 15;
         },
         {Message("While away")}, -1, 60, 1, 2, 2, {}, {kListening, kLost, kListening}},
        {"a report stored and announced with +CDSI", [](CSimOptions& o) { o.nReportAfter = 3; }, {}, 5.5, 20, 0, 1,
         1, {}, {kListening}, 1},
        {"a report passed on with +CDS", [](CSimOptions& o) { o.nReportAfter = 3600; }, {}, 5.5, 20, 0, 1, 1, {},
         {kListening}, 1, PassOnReport},
        {"an AT+CMGR answer in pieces among a vendor's lines", [](CSimOptions& o) {
             o.incomingAt = {5};
             o.strProfile = "stick";
             o.nSplitSeed = 7;
         },
         {Message("In pieces")}, -1, 20, 1, 1, 1, {}, {kListening}},
    };
}

class Receiving : public testing::TestWithParam<CWay> {};

TEST_P(Receiving, WhatThePhoneReceivesIsStoredAsItComes)
{
    const CWay& way = GetParam();
    CSimOptions options;
    way.phone(options);
    CSimLine line(options);
    if (!way.incoming.empty())
        line.Phone().SetIncoming(way.incoming);
    const fs::path folder = fs::temp_directory_path() / ("zandu-receiving-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    CFakeListKey key;
    CReceivingHost host;
    CTestRequests requests(&line, &host, &line);
    line.Drive(requests);
    CReceiver receiver(host, key, test::PathText(folder / "inbox.json"), true);
    requests.Session().Listen(&receiver, WSTR("COM5"));
    CRequestRecorder recorder(key, [] { return WSTR("2026-12-10 09:15:00"); });
    if (way.nReports) {
        requests.SetRecorder(&recorder);
        requests.SetDeliveryReports(true, false);
    }
    size_t nSendFrom = 0;
    if (way.dSendAt >= 0) {
        line.RunWhile([&] { return true; }, Us(way.dSendAt * kSecond));
        nSendFrom = line.m_log.size();
        ASSERT_TRUE(requests.Send(WSTR("COM5"), {CContact(WString(), WSTR("0123456789"))}, WSTR("Hi")));
    }
    if (way.atTwelve) {
        line.RunWhile([&] { return true; }, 12 * kSecond);
        way.atTwelve(line);
    }
    line.RunWhile([&] { return true; }, Us(way.dSeconds * kSecond));

    EXPECT_EQ(host.m_received.size(), way.nReceived) << testing::PrintToString(host.m_received);
    const std::vector<nlohmann::json> listings = line.Events("command");
    size_t nListings = 0;
    Strings commands;
    for (const nlohmann::json& command : line.Events("command", nSendFrom)) {
        const std::string strLine = command.value("text", "");
        if (!commands.empty() || strLine.rfind("AT+CMGS=", 0) == 0)
            commands.push_back(strLine);
    }
    for (const nlohmann::json& command : listings)
        nListings += command.value("text", "") == "AT+CPMS?";
    EXPECT_GE(nListings, way.nListings);
    EXPECT_LE(nListings, way.nMaxListings);
    if (!way.after.empty()) {
        commands.resize(std::min(commands.size(), way.after.size()));
        EXPECT_EQ(commands, way.after);
        EXPECT_EQ(requests.GetMessagesDone(), 1u);
        EXPECT_EQ(line.Events("port").size(), 1u);  // the send on the open port, without an open of its own
    }
    EXPECT_EQ(host.m_states, way.states);
    // A message is shown under "receiving", never under "lost" (the listing after the port is back).
    EXPECT_EQ(host.m_statesAtReceipt, std::vector<int>(host.m_received.size(), kListening));
    EXPECT_EQ(host.m_reports.size(), way.nReports);
    EXPECT_TRUE(host.m_failures.empty()) << host.m_failures.front();
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Ways, Receiving, testing::ValuesIn(Ways()), [](const testing::TestParamInfo<CWay>& info) {
    std::string strName;
    for (const char* p = info.param.pszName; *p; ++p)
        strName += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return strName;
});

// Idle while listening: after the set-up and its one listing nothing is
// written to the phone or to the disk for ten minutes. Listening stopped
// while a send runs lets the send finish first, then closes the port.
TEST(ReceivingIdle, NothingWrittenWhileNothingArrivesAndAStopWaitsForTheSend)
{
    CSimOptions options;
    CSimLine line(options);
    const fs::path folder = fs::temp_directory_path() / ("zandu-idle-" + std::to_string(std::rand()));
    fs::create_directories(folder);
    const fs::path inbox = folder / "inbox.json";
    CFakeListKey key;
    CReceivingHost host;
    CTestRequests requests(&line, &host, &line);
    line.Drive(requests);
    CReceiver receiver(host, key, test::PathText(inbox), true);
    requests.Session().Listen(&receiver, WSTR("COM5"));
    line.RunWhile([&] { return true; }, 60 * kSecond);
    const size_t nSetUp = line.Events("command").size();
    const bool bInbox = fs::exists(inbox);
    const auto written = bInbox ? fs::last_write_time(inbox) : fs::file_time_type();
    line.RunWhile([&] { return true; }, 660 * kSecond);
    EXPECT_EQ(line.Events("command").size(), nSetUp);
    EXPECT_EQ(fs::exists(inbox), bInbox);
    if (bInbox) {
        EXPECT_EQ(fs::last_write_time(inbox), written);
    }
    EXPECT_EQ(host.m_states, std::vector<int>{kListening});

    ASSERT_TRUE(requests.Send(WSTR("COM5"), {CContact(WString(), WSTR("0123456789"))}, WSTR("Hi")));
    requests.Session().Listen(nullptr, WSTR("COM5"));
    line.RunWhile([&] { return true; }, 700 * kSecond);  // the clock's time, not a span
    EXPECT_EQ(requests.GetMessagesDone(), 1u);
    const std::vector<nlohmann::json> ports = line.Events("port");
    ASSERT_EQ(ports.size(), 2u);  // the one open, then its close once the send is over
    EXPECT_FALSE(ports[1].value("open", true));
    EXPECT_EQ(line.Events("command").size(), nSetUp + 4);  // AT, ATE0, AT+CMGF=0 and AT+CMGS
    fs::remove_all(folder);
}

} // namespace
