// Sends to the phones of each family and with each habit real ones have, on
// the in-process phone and its clock: what the phone received and took, how
// the send ended, and how long it took. One row a family or habit.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/SendUser.h"
#include "support/SimLine.h"

namespace {

typedef std::vector<std::string> Strings;
const Strings kOneSms = {"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15"};
const char kSent[] = "Message sent to 0123456789";

struct CFamily {
    const char* pszName;
    std::function<void(CSimOptions&)> phone;
    std::string strText;
    Strings commands;        // what the phone received, in order; empty: not looked at
    size_t nTaken;           // PDUs the phone took
    std::string strEnd;      // the last status line
    std::string strOnTheWay; // a status line before it; empty: none looked for
    double dMinSeconds, dMaxSeconds;  // from Send to the end, on the phone's clock
    const char* pszCancelAt = nullptr;  // Cancel once the phone has this command, then Send again
};

std::vector<CFamily> Families()
{
    const std::string strThree(400, 'w');  // three parts
    const Strings kThree = {"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=153", "AT+CMGS=153", "AT+CMGS=102"};
    std::vector<CFamily> rows = {
        {"a plain phone", [](CSimOptions&) {}, "Hi", kOneSms, 1, kSent, "", 2, 3},
        {"echo and answer in bursts of their own", [](CSimOptions& o) { o.bSplitEcho = true; }, strThree, kThree, 3,
         kSent, "Sending message 3 to 0123456789...", 2, 5},
        {"the final OK in a burst of its own",
         [](CSimOptions& o) {
             o.bLateOk = true;
             o.nGapMs = 30;
         },
         strThree, kThree, 3, kSent, "", 2, 5},
        {"a mobile phone: split echo and late OK", [](CSimOptions& o) { o.strProfile = "phone"; }, strThree, kThree,
         3, kSent, "", 2, 8},
        {"a USB stick: vendor reports anywhere", [](CSimOptions& o) { o.strProfile = "stick"; }, strThree, kThree,
         3, kSent, "", 2, 8},
        {"a GSM module: start-up lines, the SIM busy at first", [](CSimOptions& o) { o.strProfile = "module"; },
         "Hi", {}, 1, kSent, "Retrying message to 0123456789 (SIM busy)", 4, 12},
        {"a SIM busy for 1.5 s", [](CSimOptions& o) { o.nSimBusyMs = 1500; }, "Hi", {}, 1, kSent,
         "Retrying message to 0123456789 (SIM busy)", 4, 6},
        {"unsolicited codes before the prompt and the answer",
         [](CSimOptions& o) {
             o.unsolicited = {{"AT+CMGS", 0, "+CMTI: \"SM\",3"}, {"PDU", 0, "+CMTI: \"SM\",4"}, {"RANDOM", 0, "RING"}};
         },
         strThree, kThree, 3, kSent, "", 2, 5},
        {"4 KB of line noise before the first answer", [](CSimOptions& o) { o.nNoiseBytes = 4000; }, "Hi",
         kOneSms, 1, kSent, "", 6, 7},
        {"left at its prompt by another program", [](CSimOptions& o) { o.bLeftAtPrompt = true; }, "Hi", kOneSms, 1,
         kSent, "", 2, 3},
        {"the prompt 3 s late", [](CSimOptions& o) { o.nPromptDelayMs = 3000; }, "Hi", kOneSms, 1, kSent, "", 5, 6},
        {"the prompt late and Cancel before it", [](CSimOptions& o) { o.nPromptDelayMs = 3000; }, "Hi",
         {"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15", "AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15"}, 1, kSent, "Canceled", 7,
         9, "AT+CMGS=15"},
        {"a network that answers after 75 s", [](CSimOptions& o) { o.nPduDelayMs = 75000; }, "Hi", kOneSms, 1, kSent,
         "", 77, 78},
        {"a network that answers after 200 s", [](CSimOptions& o) { o.nPduDelayMs = 200000; }, "Hi", kOneSms, 1,
         "Not confirmed: the phone did not say whether the message to 0123456789 was sent; check the phone before "
         "sending it again",
         "", 182, 183},
        {"congestion once", [](CSimOptions& o) { o.fails = {{"PDU", 42, 1}}; }, "Hi",
         {"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15", "AT+CMGS=15"}, 1, kSent,
         "Retrying message to 0123456789 (congestion)", 4, 5},
        {"network out of order three times", [](CSimOptions& o) { o.fails = {{"PDU", 38, 1}, {"PDU", 38, 2}, {"PDU", 38, 3}}; },
         "Hi", {"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15", "AT+CMGS=15", "AT+CMGS=15"}, 0,
         "Failed to send message to 0123456789: network out of order (+CMS ERROR: 38)",
         "Retrying message to 0123456789 (network out of order)", 9, 10},
        {"a refusal for good", [](CSimOptions& o) { o.fails = {{"PDU", 500, 1}}; }, "Hi", kOneSms, 0,
         "Failed to send message to 0123456789: unknown error (+CMS ERROR: 500)", "", 2, 3},
        {"the line gone in the middle of part 2", [](CSimOptions& o) { o.nHangupInPdu = 2; }, strThree,
         {"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=153", "AT+CMGS=153"}, 1,
         "Not confirmed: the phone did not say whether the message to 0123456789 was sent; check the phone before "
         "sending it again",
         "Error: Error 31", 2, 4},
        {"silent after the handshake", [](CSimOptions& o) { o.nSilentAfter = 3; }, "Hi", kOneSms, 0,
         "Error: timed out waiting for data", "", 62, 63},
        {"repeating OK instead of the prompt",
         [](CSimOptions& o) {
             o.nSilentAfter = 3;
             o.nBabble = CSimOptions::BABBLE_OK;
             o.nGapMs = 100;
         },
         "Hi", kOneSms, 0, "Error: timed out waiting for data", "", 62, 63},
    };
    // Every answer cut at random into pieces that come apart.
    for (unsigned nSeed = 1; nSeed <= 8; ++nSeed)
        rows.push_back({"answers cut at random", [nSeed](CSimOptions& o) { o.nSplitSeed = nSeed; }, strThree, kThree,
                        3, kSent, "", 2, 8});
    return rows;
}

TEST(PhoneFamilies, EachSendsOnceAndEndsAsItShould)
{
    const std::string strFolder = NewDataFolder();
    for (const CFamily& row : Families()) {
        SCOPED_TRACE(row.pszName);
        ResetMsgReferences();
        CSimOptions options;
        row.phone(options);
        CSimLine line(options);
        CSendUser::CSeenMap seen;
        CSendUser user(line, line, Utf8ToWide(strFolder), seen);
        line.Drive(user);
        user.Type(WSTR("0123456789"), Utf8ToWide(row.strText));
        ASSERT_TRUE(user.Send());
        if (row.pszCancelAt) {
            ASSERT_TRUE(line.RunWhile([&] {
                const std::vector<nlohmann::json> sent = line.Events("command");
                return sent.empty() || sent.back().at("text") != row.pszCancelAt;
            }));
            user.Cancel();
            ASSERT_TRUE(line.RunWhile([&] { return user.IsSending(); }));
            ASSERT_TRUE(user.Send());
        }
        ASSERT_TRUE(line.RunWhile([&] { return user.IsSending(); }));
        Strings commands;
        for (const nlohmann::json& command : line.Events("command"))
            commands.push_back(command.at("text").get<std::string>());
        if (!row.commands.empty()) {
            EXPECT_EQ(commands, row.commands);
        }
        size_t nTaken = 0;
        for (const nlohmann::json& pdu : line.Events("pdu"))
            nTaken += pdu.contains("mr");
        EXPECT_EQ(nTaken, row.nTaken);
        const Strings& status = user.GetStatus();
        EXPECT_EQ(status.back(), row.strEnd);
        if (!row.strOnTheWay.empty()) {
            EXPECT_NE(std::find(status.begin(), status.end(), row.strOnTheWay), status.end());
        }
        const double dSeconds = static_cast<double>(line.Now()) / 1e6;
        EXPECT_GE(dSeconds, row.dMinSeconds);
        EXPECT_LE(dSeconds, row.dMaxSeconds);
    }
    std::filesystem::remove_all(strFolder);
}

} // namespace
