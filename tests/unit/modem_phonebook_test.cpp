// Phone-book download and device test: multi-line replies that span reads,
// the entries the owner receives, and the failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <map>

#include "phone/DeviceInfo.h"
#include "support/ModemHarness.h"

namespace {

typedef std::vector<std::string> Strings;

struct Location {
    std::string strNumber;
    unsigned nType;
    std::string strName;  // UTF-8
};

// A phone with a phone book at locations 1 to nSize, answering the commands
// it finds written, its replies cut into bursts by the cutter.
class CPhonebookPhone {
public:
    CPhonebookPhone(CModemRig& rig, unsigned nSize) : m_rig(rig), m_nSize(nSize) {}

    std::map<unsigned, Location> m_locations;
    std::function<Strings(const std::string&)> m_cut = [](const std::string& s) { return Chunks(s, 512); };
    std::string m_strRangeReply;  // replaces the usual reply to AT+CPBR=?
    unsigned m_nCommands = 0;

    static Strings Chunks(const std::string& s, size_t n)
    {
        Strings bursts;
        for (size_t i = 0; i < s.size(); i += n)
            bursts.push_back(s.substr(i, n));
        return bursts;
    }

    std::string ReplyTo(unsigned nFirst, unsigned nLast) const
    {
        std::string s;
        for (auto it = m_locations.lower_bound(nFirst); it != m_locations.end() && it->first <= nLast; ++it) {
            const Location& l = it->second;
            s += "\r\n+CPBR: " + std::to_string(it->first) + ",\"" + l.strNumber + "\"," +
                 std::to_string(l.nType) + ",\"" + l.strName + "\"";
        }
        return s + "\r\n\r\nOK\r\n";
    }

    // Answers every command until the driver stops reading.
    void Serve()
    {
        while (m_rig.phone.IsReadPending()) {
            const std::string strCommand = m_rig.phone.m_writes.back();
            std::string strReply;
            unsigned nFirst = 0;
            unsigned nLast = 0;
            if (strCommand == "AT+CPBR=?\r\n") {
                strReply = !m_strRangeReply.empty()
                               ? m_strRangeReply
                               : "\r\n+CPBR: (1-" + std::to_string(m_nSize) + "),40,14\r\n\r\nOK\r\n";
            } else if (std::sscanf(strCommand.c_str(), "AT+CPBR=%u,%u\r\n", &nFirst, &nLast) == 2) {
                ++m_nCommands;
                strReply = ReplyTo(nFirst, nLast);
            } else {
                ADD_FAILURE() << "unexpected command " << strCommand;
                return;
            }
            for (const std::string& strBurst : m_cut(strReply))
                if (!m_rig.phone.Reply(strBurst))
                    break;  // the driver stopped reading in the middle
        }
    }

private:
    CModemRig& m_rig;
    unsigned m_nSize;
};

struct Phonebook : ::testing::Test {
    CModemRig rig;

    void Start()
    {
        rig.Start(EJob::PHONEBOOK);
        rig.Handshake();
        rig.phone.Reply("\r\nOK\r\n");  // AT+CSCS="UTF-8"
    }
};

TEST_F(Phonebook, DownloadsEveryEntryInBatchesOfTwenty)
{
    CPhonebookPhone phone(rig, 45);
    phone.m_locations[1] = {"5551234", 129, "Anna"};
    phone.m_locations[7] = {"4915112345", 145, "J\xC3\xBCrgen M\xC3\xBCller"};   // Jürgen Müller
    phone.m_locations[20] = {"+4915112345", 145, "\xE6\x9D\x8E\xE5\xA8\x9C"};     // 李娜
    phone.m_locations[21] = {"0301234", 129, "Bob \"The Builder\", Jr."};
    phone.m_locations[45] = {"112", 129, "\xF0\x9F\x9A\x91 Ambulance"};            // an emoji
    Start();
    EXPECT_EQ(rig.sink.Events().back(), "DownloadingPhonebook");
    phone.Serve();
    EXPECT_EQ(rig.phone.m_writes,
              HandshakeWrites({"AT+CSCS=\"UTF-8\"\r\n", "AT+CPBR=?\r\n", "AT+CPBR=1,20\r\n", "AT+CPBR=21,40\r\n",
                               "AT+CPBR=41,45\r\n"}));
    EXPECT_EQ(rig.sink.m_entries,
              Strings({"Anna|5551234", "J\xC3\xBCrgen M\xC3\xBCller|+4915112345",
                       "\xE6\x9D\x8E\xE5\xA8\x9C|+4915112345", "Bob \"The Builder\", Jr.|0301234",
                       "\xF0\x9F\x9A\x91 Ambulance|112"}));
    const Strings events = rig.sink.Events();
    EXPECT_EQ(Strings(events.end() - 2, events.end()), Strings({"PhonebookDownloaded", "RequestEnded"}));
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(rig.modem.GetState(), CModem::EState::ST_DONE);
}

TEST_F(Phonebook, ThreeHundredEntriesSpanningManyReads)
{
    CPhonebookPhone phone(rig, 300);
    Strings expected;
    for (unsigned i = 1; i <= 300; ++i) {
        if (i % 7 == 0)
            continue;  // empty locations are not listed by the phone
        const std::string strName = "Kontakt \xC3\x84\xC3\x96\xC3\x9C " + std::to_string(i) + std::string(30, 'x');
        phone.m_locations[i] = {std::to_string(1000000 + i), 129, strName};
        expected.push_back(strName + "|" + std::to_string(1000000 + i));
    }
    phone.m_cut = [](const std::string& s) { return CPhonebookPhone::Chunks(s, 97); };
    Start();
    phone.Serve();
    EXPECT_EQ(phone.m_nCommands, 15u);
    EXPECT_EQ(rig.sink.m_entries, expected);
    EXPECT_EQ(rig.sink.Count("PhonebookDownloaded"), 1u);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u);
}

// Every cut of a reply into two bursts gives the same entries: cuts inside a
// quoted name, inside a UTF-8 sequence, inside an escaped quote or backslash,
// between CR and LF, inside "OK".
TEST_F(Phonebook, RepliesCutAnywhere)
{
    std::map<unsigned, Location> locations;
    locations[2] = {"5550001", 129, "\xC3\x89lodie, \"\xC3\xA9\" \xE2\x82\xAC"};  // Élodie, "é" €
    locations[3] = {"49301234", 145, "Zo\xC3\xAB"};
    locations[4] = {"5550004", 129, "Dr. \\22Bob\\22 O\\5CNeil"};
    CModemRig unused;
    CPhonebookPhone reference(unused, 5);
    reference.m_locations = locations;
    const std::string strReply = reference.ReplyTo(1, 5);
    const Strings expected = {"\xC3\x89lodie, \"\xC3\xA9\" \xE2\x82\xAC|5550001", "Zo\xC3\xAB|+49301234",
                              "Dr. \"Bob\" O\\Neil|5550004"};

    for (size_t nCut = 1; nCut < strReply.size(); ++nCut) {
        CModemRig r;
        CPhonebookPhone phone(r, 5);
        phone.m_locations = locations;
        phone.m_cut = [nCut](const std::string& s) {
            if (s.find("+CPBR: 2") == std::string::npos)
                return Strings({s});
            return Strings({s.substr(0, nCut), s.substr(nCut)});
        };
        r.Start(EJob::PHONEBOOK);
        r.Handshake();
        r.phone.Reply("OK");
        phone.Serve();
        EXPECT_EQ(r.sink.m_entries, expected) << "cut at " << nCut;
        EXPECT_EQ(r.sink.Count("PhonebookDownloaded"), 1u) << "cut at " << nCut;
    }
}

TEST_F(Phonebook, RangeForms)
{
    struct Case {
        const char* pszReply;
        size_t nReads;
        const char* pszFirstRead;
        const char* pszLastRead;
    } cases[] = {
        {"\r\n+CPBR: (1-250)\r\n\r\nOK\r\n", 13, "AT+CPBR=1,20\r\n", "AT+CPBR=241,250\r\n"},
        {"+CPBR: ( 3 - 25 ) , 40 , 14\r\nOK", 2, "AT+CPBR=3,22\r\n", "AT+CPBR=23,25\r\n"},
        {"+CPBR: (7),20,10\r\nOK\r\n", 1, "AT+CPBR=7,7\r\n", "AT+CPBR=7,7\r\n"},
        {"RING\r\n+CPBR: (1-20),20,10\r\n\r\nOK\r\n", 1, "AT+CPBR=1,20\r\n", "AT+CPBR=1,20\r\n"},
        {"\r\n+CPBR: (0-0),0,0\r\n\r\nOK\r\n", 0, "AT+CPBR=?\r\n", "AT+CPBR=?\r\n"},
    };
    for (const Case& c : cases) {
        CModemRig r;
        CPhonebookPhone phone(r, 0);
        phone.m_strRangeReply = c.pszReply;
        r.Start(EJob::PHONEBOOK);
        r.Handshake();
        r.phone.Reply("OK");
        phone.Serve();
        const Strings& w = r.phone.m_writes;
        EXPECT_EQ(phone.m_nCommands, c.nReads) << c.pszReply;
        EXPECT_EQ(w[c.nReads ? 4 : 3], c.pszFirstRead) << c.pszReply;
        EXPECT_EQ(w.back(), c.pszLastRead) << c.pszReply;
        EXPECT_EQ(r.sink.Count("PhonebookDownloaded"), 1u) << c.pszReply;
        EXPECT_EQ(r.queue.Count("close"), 1u);
    }
}

TEST_F(Phonebook, HugeRangeIsReadOnlyToItsBound)
{
    CPhonebookPhone phone(rig, 0);
    phone.m_strRangeReply = "+CPBR: (1-999999999),40,14\r\nOK\r\n";
    Start();
    phone.Serve();
    EXPECT_EQ(phone.m_nCommands, CPhonebookJob::kMaxLocations / CPhonebookJob::kBatch);
    EXPECT_EQ(rig.phone.m_writes.back(), "AT+CPBR=9981,10000\r\n");
    EXPECT_EQ(rig.sink.Count("PhonebookDownloaded"), 1u);
}

TEST_F(Phonebook, OddLinesAndEmptyLocationsAreSkipped)
{
    Start();
    rig.phone.Reply("+CPBR: (1-5),40,14\r\nOK\r\n");
    rig.phone.Reply("\r\n+CPBR: 1,\"\",129,\"\"\r\n"          // empty location
                    "+CPBR: x,\"123\",129,\"Bad index\"\r\n"  // cannot be parsed
                    "+CPBR: 2,5550002,129,Plain\r\n"          // unquoted fields
                    "+CPBR: 3,\"5550003\",abc,\"Odd type\"\r\n"
                    "+CPBR: 4,\"5550004\"\r\n"                // no name
                    "+CPBR: 5,\"5550005\",129,\"Unterminated\r\n"
                    "+CMTI: \"SM\",3\r\n"                     // unsolicited
                    "\r\nOK\r\n");
    EXPECT_EQ(rig.sink.m_entries, Strings({"Plain|5550002", "Odd type|5550003", "|5550004",
                                           "Unterminated|5550005"}));
    EXPECT_EQ(rig.sink.Count("PhonebookDownloaded"), 1u);
}

TEST_F(Phonebook, FailuresEndWithTheFailureAndAClose)
{
    struct Case {
        int nStep;  // 0: charset, 1: range, 2: read
        const char* pszReply;
    } cases[] = {
        {0, "\r\nERROR\r\n"},
        {0, "\r\n+CME ERROR: 4\r\n"},
        {1, "\r\nERROR\r\n"},
        {1, "\r\nOK\r\n"},                        // no range
        {1, "+CPBR: (9-3),40,14\r\nOK\r\n"},      // first above last
        {1, "+CPBR: garbage\r\nOK\r\n"},
        {2, "+CPBR: 1,\"1\",129,\"A\"\r\n+CME ERROR: 21\r\n"},
        {2, "\r\nERROR\r\n"},
        {2, "\r\n+CMS ERROR: 22\r\n"},  // only the phone-book's "not found" means empty
    };
    for (const Case& c : cases) {
        CModemRig r;
        r.Start(EJob::PHONEBOOK);
        r.Handshake();
        if (c.nStep >= 1)
            r.phone.Reply("OK");
        if (c.nStep >= 2)
            r.phone.Reply("+CPBR: (1-40),40,14\r\nOK\r\n");
        r.phone.Reply(c.pszReply);
        EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << c.pszReply;
        EXPECT_EQ(r.sink.Count("PhonebookDownloaded"), 0u) << c.pszReply;
        EXPECT_EQ(r.sink.m_calls.back(), "RequestEnded") << c.pszReply;
        EXPECT_EQ(r.queue.Count("close"), 1u);
        EXPECT_FALSE(r.phone.IsReadPending());
    }
}

// Many phones answer a range without entries with "not found" instead of
// an empty list; the download goes on with the next batch.
TEST_F(Phonebook, NotFoundIsAnEmptyBatch)
{
    CPhonebookPhone phone(rig, 250);
    phone.m_locations[1] = {"5551234", 129, "Anna"};
    phone.m_locations[250] = {"112", 129, "Last"};
    Start();
    rig.phone.Reply("\r\n+CPBR: (1-250),40,14\r\n\r\nOK\r\n");
    unsigned nFirst = 0, nLast = 0;
    while (rig.phone.IsReadPending() &&
           std::sscanf(rig.phone.m_writes.back().c_str(), "AT+CPBR=%u,%u", &nFirst, &nLast) == 2) {
        if (nFirst == 1 || nLast == 250)
            rig.phone.Reply(phone.ReplyTo(nFirst, nLast));
        else
            rig.phone.Reply(nFirst % 40 == 21 ? "\r\n+CME ERROR: 22\r\n" : "\r\n+CME ERROR: not found\r\n");
    }
    EXPECT_EQ(rig.sink.m_entries, Strings({"Anna|5551234", "Last|112"}));
    EXPECT_EQ(rig.sink.Count("PhonebookDownloaded"), 1u);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 0u);
    EXPECT_EQ(rig.phone.m_writes.back(), "AT+CPBR=241,250\r\n");
}

TEST_F(Phonebook, BabblingPhoneIsCutOff)
{
    Start();
    rig.phone.Reply("+CPBR: (1-20),40,14\r\nOK\r\n");
    int nBursts = 0;
    while (rig.phone.IsReadPending() && nBursts < 10000) {  // lines that never end
        rig.phone.Reply(std::string(500, 'y'));
        ++nBursts;
    }
    EXPECT_LE(nBursts, 6);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u);

    CModemRig r;
    r.Start(EJob::PHONEBOOK);
    r.Handshake();
    r.phone.Reply("OK");
    r.phone.Reply("+CPBR: (1-20),40,14\r\nOK\r\n");
    nBursts = 0;
    while (r.phone.IsReadPending() && nBursts < 10000) {  // entries that never end
        r.phone.Reply("+CPBR: 1,\"1\",129,\"A\"\r\n");
        ++nBursts;
    }
    EXPECT_LE(nBursts, 200);
    EXPECT_EQ(r.sink.Count("RequestFailed"), 1u);
}

// --- Device test ------------------------------------------------------------------

struct DeviceTest : ::testing::Test {
    CModemRig rig;

    void Start()
    {
        rig.Start(EJob::DEVICE_TEST);
        rig.Handshake();
    }
};

const Strings kQuestions = {"AT+CGMI\r\n", "AT+CGMM\r\n", "AT+CPIN?\r\n", "AT+CSQ\r\n", "AT+CREG?\r\n", "AT+CSCA?\r\n"};

TEST_F(DeviceTest, MakerAndOkInOneBurst)
{
    Start();
    rig.phone.Reply("\r\nAcme Mobile\r\n\r\nOK\r\n");
    rig.phone.Serve();  // the other questions, answered without information
    Strings expected = HandshakeWrites();
    expected.insert(expected.end(), kQuestions.begin(), kQuestions.end());
    EXPECT_EQ(rig.phone.m_writes, expected);
    EXPECT_EQ(rig.sink.Events(), Strings({"Handshaking", "Model Acme Mobile", "RequestEnded"}));
    EXPECT_EQ(rig.queue.Count("close"), 1u);
    EXPECT_EQ(DescribeDevice(rig.sink.m_device), "");
}

TEST_F(DeviceTest, OkInALaterBurst)
{
    Start();
    rig.phone.Reply("\r\nAcme Mo");
    EXPECT_EQ(rig.sink.Events(), Strings({"Handshaking"}));
    rig.phone.Reply("bile\r");
    EXPECT_TRUE(rig.phone.IsReadPending());
    rig.phone.Reply("\n\r\nOK\r\n");
    rig.phone.Serve();
    EXPECT_EQ(rig.sink.Count("Model Acme Mobile"), 1u);
    EXPECT_EQ(rig.queue.Count("close"), 1u);
}

TEST_F(DeviceTest, PrefixAndSeveralLines)
{
    Start();
    rig.phone.Reply("\r\n+CGMI: Acme\r\n");
    rig.phone.Reply("Mobile Division\r\nOK");
    rig.phone.Serve();
    EXPECT_EQ(rig.sink.Count("Model Acme Mobile Division"), 1u);
}

// Whether the phone can send, from questions it may refuse: what it told,
// in words; a refused question is left out and does not fail the test.
TEST_F(DeviceTest, WhetherThePhoneCanSend)
{
    const struct {
        Strings answers;  // to AT+CGMM, AT+CPIN?, AT+CSQ, AT+CREG?, AT+CSCA?
        const char* pszWords;
    } cases[] = {
        {{"ZX-1", "+CPIN: READY", "+CSQ: 17,99", "+CREG: 0,1", "+CSCA: \"+4917010\",145"},
         "; model: ZX-1; SIM: ready; signal 3 of 5; network: registered (home); service centre: +4917010"},
        {{"+CGMM: ZX-2", "+CPIN: SIM PUK", "+CSQ: 99,99", "+CREG: 2", "+CSCA: \"\",129"},
         "; model: ZX-2; SIM: PUK required; no signal; network: searching; no service centre number set"},
        {{"ERROR", "+CME ERROR: 10", "+CSQ: 31,0", "+CREG: 0,5", "COMMAND NOT SUPPORT"},
         "; SIM: not inserted; signal 5 of 5; network: roaming"},
        {{"ERROR", "+CPIN: SIM PIN", "+CSQ: 1,0", "+CREG: 0,3", "ERROR"}, "; SIM: PIN required; signal 1 of 5; network: denied"},
        {{"ERROR", "ERROR", "+CSQ: 77,0", "+CREG: 0,9", "+CSCA: 0049"}, "; service centre: 0049"},
    };
    for (const auto& c : cases) {
        CModemRig r;
        r.Start(EJob::DEVICE_TEST);
        r.phone.Serve([&](const std::string& strCommand) {
            const auto it = std::find(kQuestions.begin() + 1, kQuestions.end(), strCommand);
            if (it == kQuestions.end())
                return std::string("-");
            const std::string& strAnswer = c.answers[static_cast<size_t>(it - kQuestions.begin() - 1)];
            return GetFinalResult(strAnswer) == EFinalResult::FINAL_ERROR ? "\r\n" + strAnswer + "\r\n"
                                                                          : "\r\n" + strAnswer + "\r\n\r\nOK\r\n";
        });
        EXPECT_EQ(DescribeDevice(r.sink.m_device), c.pszWords) << c.answers[0];
        EXPECT_EQ(r.sink.Events(), Strings({"Handshaking", "Model Acme Mobile", "RequestEnded"}));
    }
}

TEST_F(DeviceTest, ErrorsAndEmptyAnswersFail)
{
    for (const char* pszReply : {"\r\nERROR\r\n", "\r\n+CME ERROR: 10\r\n", "\r\nOK\r\n", "Acme\r\nERROR\r\n"}) {
        CModemRig r;
        r.Start(EJob::DEVICE_TEST);
        r.Handshake();
        r.phone.Reply(pszReply);
        EXPECT_EQ(r.sink.Count("RequestFailed"), 1u) << pszReply;
        for (const std::string& call : r.sink.m_calls)
            EXPECT_NE(call.substr(0, 5), "Model") << pszReply;
        EXPECT_EQ(r.queue.Count("close"), 1u);
    }
}

TEST_F(DeviceTest, EndlessAnswerIsCutOff)
{
    Start();
    int nBursts = 0;
    while (rig.phone.IsReadPending() && nBursts < 10000) {
        rig.phone.Reply("Acme\r\n");
        ++nBursts;
    }
    EXPECT_LE(nBursts, 200);
    EXPECT_EQ(rig.sink.Count("RequestFailed"), 1u);
}

} // namespace
