// Received messages and delivery reports through the request logic: the
// exact dialogue with the phone, what is stored before anything is deleted,
// and a report settling the message that asked for it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "support/FakeListKey.h"
#include "support/ModemHarness.h"
#include "support/TestText.h"
#include "sms/InboxFile.h"
#include "app/InboxUpdate.h"
#include "app/RequestRecorder.h"
#include "support/RequestHarness.h"
#include "app/ReportStore.h"

namespace {

namespace fs = std::filesystem;
typedef std::vector<std::string> Strings;

// "Hi" and "Yo" from +4917012345, and a report that the message with
// reference 7 to 0123456789 was delivered.
const char kHi[] = "00040A91947110325400004250214100000002C834";
const char kYo[] = "00040A91947110325400004250214100010002D937";
const char kReport7[] = "0006070A8110325476984250214100000042502141000500" "00";

std::string Listed(unsigned nIndex, const std::string& strPdu)
{
    return "+CMGL: " + std::to_string(nIndex) + ",1,," + std::to_string(strPdu.size() / 2 - 1) + "\r\n" + strPdu +
           "\r\n";
}

using test::PathText;

class CReadingHost : public CTestHost {
public:
    // What is listed is stored in the inbox file and deleted.
    CReadingHost(const fs::path& inbox, CListKey& key) : m_recorder(key, [] { return WString(WSTR("T")); })
    {
        m_recorder.StartInbox(PathText(inbox), true);
    }
    void OnStatus(const WString& strText, bool bTimed) override
    {
        m_status.push_back(WideToUtf8(strText) + (bTimed ? " at T" : ""));
    }
    void OnRequestEnded() override {}
    const CInboxUpdate& Update() const { return *m_recorder.GetInbox(); }

    CRequestRecorder m_recorder;
    Strings m_status;
};

struct Reading : ::testing::Test {
    fs::path folder = fs::temp_directory_path() / ("zandu-reading-" + std::to_string(std::rand()));
    CFakeListKey key;
    CFakePortOperations queue;
    CReadingHost host{folder / "inbox.json", key};
    CRecordingSink timer;
    CTestRequests request{&queue, &host, &timer};
    CPhoneLink phone{queue, [this](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
                         request.OnOperationComplete(std::move(pOp), std::move(pError));
                     }};
    std::map<std::string, std::string> replies;  // by command, without CR LF

    void SetUp() override
    {
        ResetMsgReferences();
        fs::create_directories(folder);
        request.SetRecorder(&host.m_recorder);
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(folder, error);
    }
    void Serve()
    {
        phone.Serve([this](const std::string& strCommand) {
            const auto it = replies.find(strCommand.substr(0, strCommand.find_first_of("\r\x1A")));
            return it == replies.end() ? std::string("-") : it->second;
        });
    }
    // The commands the phone received, without their line ends.
    Strings Commands() const
    {
        Strings commands;
        for (const std::string& str : phone.m_writes)
            commands.push_back(str.substr(0, str.find_first_of("\r\x1A")));
        return commands;
    }
    void SendTo(const char* pszNumber)
    {
        request.Send(WSTR("COM5"), {CContact(WString(), Utf8ToWide(pszNumber))}, WSTR("Hi"));
        Serve();
    }
};

TEST_F(Reading, EveryMemoryIsListedAndWhatWasStoredDeleted)
{
    replies["AT+CPMS?"] = "\r\n+CPMS: \"SM\",2,30,\"ME\",1,100,\"SM\",2,30\r\n\r\nOK\r\n";
    replies["AT+CPMS=\"SM\""] = "\r\n+CPMS: 2,30,1,100,2,30\r\n\r\nOK\r\n";
    replies["AT+CPMS=\"ME\""] = "\r\n+CME ERROR: 3\r\n";  // named but refused: passed over
    replies["AT+CMGL=4"] = "\r\n" + Listed(1, kHi) + Listed(4, kYo) + "+CMGL: 5,1,,20\r\n\r\nOK\r\n";
    request.ReadMessages(WSTR("COM5"));
    Serve();
    // The entry without its PDU line is neither stored nor deleted; the
    // phone is left with the memory it had selected.
    EXPECT_EQ(Commands(), (Strings{"AT", "ATE0", "AT+CMGF=0", "AT+CPMS?", "AT+CPMS=\"SM\"", "AT+CMGL=4",
                                   "AT+CMGD=1", "AT+CMGD=4", "AT+CPMS=\"ME\"", "AT+CPMS=\"SM\""}));
    EXPECT_EQ(host.m_status.back(), "2 new messages at T");
    ASSERT_EQ(host.Update().GetInbox().GetMessages().size(), 2u);
    EXPECT_EQ(WideToUtf8(host.Update().GetInbox().GetMessages()[1].GetText()), "Yo");
    EXPECT_TRUE(fs::exists(folder / "inbox.json"));
}

// 500 full messages listed at 9600 baud take about three minutes: each line
// of the answer gives the rest of it the progress time-out again, so the
// listing is read whole and stored.
TEST_F(Reading, AListingLongerThanTheTimeOutIsReadWhole)
{
    const std::string strFull = "00040A9194711032540000425021410000A0" + std::string(280, '1');  // 160 characters
    std::string strAnswer = "\r\n";
    for (unsigned n = 1; n <= 500; ++n)
        strAnswer += Listed(n, strFull.substr(0, strFull.size() - 4) + (n < 10 ? "000" : n < 100 ? "00" : "0") +
                                   std::to_string(n));
    strAnswer += "\r\nOK\r\n";
    replies["AT+CPMS?"] = "\r\nERROR\r\n";
    request.ReadMessages(WSTR("COM5"));
    phone.Serve([](const std::string& c) { return c.compare(0, 9, "AT+CMGL=4") == 0 ? "" : "-"; });
    // The phone's answer in reads of 512 bytes at 960 bytes a second; the
    // timer fires when its time is over.
    double dNow = 0, dDeadline = -1;
    size_t nSeen = 0;
    const auto follow = [&] {
        for (; nSeen < timer.m_calls.size(); ++nSeen) {
            const std::string& call = timer.m_calls[nSeen];
            if (call == "KillTimeout")
                dDeadline = -1;
            else if (call.compare(0, 11, "SetTimeout ") == 0)
                dDeadline = dNow + std::stod(call.substr(11)) / 1000;
        }
    };
    follow();
    for (size_t nAt = 0; nAt < strAnswer.size() && phone.IsReadPending(); nAt += CModem::kReadSize) {
        dNow += 512.0 / 960;
        ASSERT_TRUE(dDeadline < 0 || dNow < dDeadline) << "timed out after " << dNow << " s";
        phone.Reply(strAnswer.substr(nAt, CModem::kReadSize));
        follow();
    }
    Serve();
    EXPECT_GT(dNow, 150);
    EXPECT_EQ(host.m_status.back(), "500 new messages at T");
}

TEST_F(Reading, AnInboxThatCannotBeWrittenDeletesNothingAndSaysSo)
{
    fs::remove_all(folder);  // the folder of the file is gone
    replies["AT+CPMS?"] = "\r\nERROR\r\n";  // the memory selected is listed
    replies["AT+CMGL=4"] = "\r\n" + Listed(1, kHi) + "\r\nOK\r\n";
    request.ReadMessages(WSTR("COM5"));
    Serve();
    EXPECT_EQ(Commands(), (Strings{"AT", "ATE0", "AT+CMGF=0", "AT+CPMS?", "AT+CMGL=4"}));
    EXPECT_EQ(host.m_status.back().compare(0, 29, "Could not store the messages:"), 0) << host.m_status.back();
}

TEST_F(Reading, AListingTheSendRefusesFailsTheReadingWithThePhonesReason)
{
    replies["AT+CPMS?"] = "\r\n+CPMS: \"SM\",0,30,\"SM\",0,30,\"SM\",1,30\r\n\r\nOK\r\n";
    replies["AT+CMGL=4"] = "\r\n+CMS ERROR: 321\r\n";
    request.ReadMessages(WSTR("COM5"));
    Serve();
    EXPECT_EQ(host.m_status.back().compare(0, 25, "Failed to read messages: "), 0) << host.m_status.back();
}

TEST_F(Reading, ASendWithoutReportsKeepsItsDialogue)
{
    request.SetDeliveryReports(false, CReportStore(key).HasPending(std::time(nullptr)));
    SendTo("0123456789");
    EXPECT_EQ(Commands(), (Strings{"AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15", "0011F10A8110325476980000AA02C834"}));
}

TEST_F(Reading, AReportedMessageIsDeliveredAfterTheNextSendListsItsReport)
{
    replies["\x1A"] = "";
    request.SetDeliveryReports(true, false);
    replies["0031F10A8110325476980000AA02C834"] = "\r\n+CMGS: 7\r\n\r\nOK\r\n";  // the phone's own reference
    SendTo("0123456789");
    EXPECT_EQ(Commands(), (Strings{"AT", "ATE0", "AT+CNMI=2,1,0,2,0", "AT+CMGF=0", "AT+CMGS=15",
                                   "0031F10A8110325476980000AA02C834"}));
    ASSERT_EQ(request.GetRecord().recipients[0].partRefs, std::vector<unsigned>{7});
    CSentPart part;
    part.strNumber = WSTR("0123456789");
    part.nRef = 7;
    part.nSentAt = std::time(nullptr);
    ASSERT_EQ(CReportStore(key).Add(WSTR("k"), {part}), kErrorSuccess);
    ASSERT_TRUE(CReportStore(key).HasPending(std::time(nullptr)));

    // The next send lists the report first, even though the phone refuses
    // to store reports as asked. The phone has marked the received message
    // read: it is stored, new for the Inbox, and stays on the phone.
    phone.m_writes.clear();
    replies["AT+CNMI=2,1,0,2,0"] = "\r\n+CMS ERROR: 303\r\n";
    replies["AT+CMGL=4"] = "\r\n" + Listed(2, kReport7) + Listed(3, kHi) + "\r\nOK\r\n";
    request.SetDeliveryReports(true, true);
    SendTo("0123456789");
    EXPECT_EQ(Commands(), (Strings{"AT", "ATE0", "AT+CNMI=2,1,0,2,0", "AT+CMGF=0", "AT+CMGL=4", "AT+CMGD=2",
                                   "AT+CMGS=15", "0031F20A8110325476980000AA02C834"}));
    const std::vector<CSentPart> parts = CReportStore(key).Read()[WSTR("k")];
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_EQ(WideToUtf8(DescribeDelivery(SummarizeDelivery(parts))), "Delivered 2024-05-12 14:00:50+00:00");
    CInbox stored;
    ASSERT_EQ(LoadInbox(PathText(folder / "inbox.json"), stored).result, EInboxLoad::INBOX_LOADED);
    ASSERT_EQ(stored.GetMessages().size(), 1u);
    EXPECT_EQ(WideToUtf8(stored.GetMessages()[0].GetText()), "Hi");
    EXPECT_TRUE(stored.GetMessages()[0].bNew);
}

// The window and the console tool reading at once, each listing between the
// other's: the file keeps what both stored, and a file of a newer version is
// neither written nor is anything deleted.
TEST_F(Reading, TwoInboxWritersInterleavedLoseNothing)
{
    CInboxUpdate console(PathText(folder / "inbox.json"), key, true);
    auto listing = [](unsigned nIndex, const char* pszPdu) {
        CListedPdu pdu;
        pdu.nIndex = nIndex;
        pdu.nStat = 0;
        pdu.strHex = pszPdu;
        pdu.bComplete = true;
        return std::vector<CListedPdu>{pdu};
    };
    const char kHiLater[] = "00040A91947110325400004250214100020002C834";
    EXPECT_EQ(host.m_recorder.GetInbox()->Take(listing(1, kHi), false, 0).nNew, 1u);
    EXPECT_EQ(console.Take(listing(1, kYo), false, 0).nNew, 1u);
    EXPECT_EQ(host.m_recorder.GetInbox()->Take(listing(2, kHiLater), false, 0).nNew, 1u);
    EXPECT_EQ(host.m_recorder.GetInbox()->Take(listing(1, kYo), false, 0).nNew, 0u);  // the console's, already stored
    CInbox stored;
    LoadInbox(PathText(folder / "inbox.json"), stored);
    EXPECT_EQ(stored.GetMessages().size(), 3u);

    std::ofstream(folder / "inbox.json") << "{\"format\": \"Zandu SMS inbox\", \"version\": 9, \"messages\": 1}";
    const CListingResult result = console.Take(listing(3, "00040A9194711032540000425021410000000161"), false, 0);
    EXPECT_TRUE(result.deletes.empty());
    EXPECT_NE(result.strError.find("newer version"), std::string::npos) << result.strError;
    EXPECT_FALSE(fs::exists(folder / "inbox.json.damaged"));
}

TEST_F(Reading, AReportThePhonePassesOnWhileThePortIsOpenIsTaken)
{
    CSentPart part;
    part.strNumber = WSTR("0123456789");
    part.nRef = 7;
    part.nSentAt = std::time(nullptr);
    CReportStore(key).Add(WSTR("k"), {part});
    replies["AT+CMGF=0"] = "\r\n+CDS: 24\r\n" + std::string(kReport7) + "\r\n\r\nOK\r\n";
    SendTo("0123456789");
    EXPECT_EQ(CReportStore(key).Read()[WSTR("k")][0].state, EPartDelivery::PART_DELIVERED);
    EXPECT_EQ(Commands().size(), 5u);
}

} // namespace
