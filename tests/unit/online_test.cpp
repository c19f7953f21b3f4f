// The portable logic of the online services: the update reply and its
// versions, the report URL, the choice of server and the body's conversion.
#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>
#include <tuple>

#include "online/HttpBody.h"
#include "online/ReportQueue.h"
#include "online/ReportUrl.h"
#include "online/ServerUrl.h"
#include "online/UpdateReply.h"
#include "support/TestText.h"

namespace {

WString W(const char* pszUtf8)
{
    return Utf8ToWide(pszUtf8);
}

using test::Repeat;

TEST(Online, ParseVersion)
{
    const struct {
        const char* pszText;
        bool bOk;
        uint64_t ullVersion;
    } cases[] = {
        {"1.2.3", true, (1ull << 32) | (2 << 16) | 3},
        {"1.2.3.4", true, (1ull << 32) | (2 << 16) | 3},
        {"0.0.1", true, 1},
        {"4294967295.65535.65535", true, 0xFFFFFFFFFFFFFFFFull},
        {"1..2", false, 0},  {".1.2", false, 0},  {"1.2.", false, 0},    {"1.2", false, 0},
        {"", false, 0},      {"1.2..", false, 0}, {"1.2.3 ", false, 0},  {"v1.2.3", false, 0},
        {"1.65536.0", false, 0},  // would equal 2.0.0
        {"1.0.65536", false, 0},  // would equal 1.1.0
        {"4294967296.0.0", false, 0},
    };
    for (const auto& c : cases) {
        uint64_t ullVersion = 99;
        EXPECT_EQ(ParseVersion(W(c.pszText), ullVersion), c.bOk) << c.pszText;
        EXPECT_EQ(ullVersion, c.ullVersion) << c.pszText;
    }
}

TEST(Online, UpdateReply)
{
    const struct {
        const char* pszBody;
        const char* pszRunning;
        bool bUpdate;
        const char* pszChanges;
    } cases[] = {
        {"CHANGES 1.3.0\r\n- Faster sending\r\n", "1.2.9", true, "- Faster sending"},
        {"CHANGES 1.2.9\r\n- Faster sending\r\n", "1.2.9", false, ""},  // equal is not newer
        {"CHANGES 1.3.0", "1.2.9", false, ""},                           // no line break
        {"changes 1.3.0\r\nA", "1.2.9", false, ""},                      // the prefix is case-sensitive
        {"CHANGES1.3.0\r\nA", "1.2.9", false, ""},
        {"CHANGES \r\n1.3.0\r\nA", "1.2.9", false, ""},                  // the break comes first
        {"CHANGES 1.10.0\nOne\nTwo\n\n", "1.9.5", true, "One\nTwo"},     // numbers, not texts
        {"CHANGES 1.2.3.4\rA", "1.2.2", true, "A"},
        {"CHANGES 1.2.3.4\rA", "1.2.3", false, ""},
        {"CHANGES 1..2\rA", "1.0.0", false, ""},
        {"CHANGES 1.2\rA", "1.0.0", false, ""},
        {"CHANGES 2.0.0\rA", "", false, ""},                             // no running version
        {"CHANGES 2.0.0\n\u00E9 \u0416 \U0001F600\r\n", "1.0.0", true, "\u00E9 \u0416 \U0001F600"},
        {"<html>404</html>", "1.0.0", false, ""},
    };
    for (const auto& c : cases) {
        const CUpdateReply reply = ReadUpdateReply(W(c.pszBody), W(c.pszRunning));
        EXPECT_EQ(reply.bUpdateAvailable, c.bUpdate) << c.pszBody;
        EXPECT_EQ(reply.strChanges, W(c.pszChanges)) << c.pszBody;
    }
}

// What the notice shows of a reply of 64 KB or one with control characters.
TEST(Online, ChangesAreCutAndCleaned)
{
    WString strLines;
    for (int i = 1; i <= 30; ++i)
        strLines += W(("line " + std::to_string(i) + "\r\n").c_str());
    const WString str20 = strLines.substr(0, strLines.find(W("\r\nline 21")));
    const WString strLong = Repeat(W("\U0001F600"), 2500);  // one character in two units
    const struct {
        WString strChanges;
        WString strShown;
    } cases[] = {
        {strLines, str20 + W("...")},                      // 30 lines: 20
        {str20, str20},                                    // 20 lines: all
        {Repeat(W("a\nb\rc\r\n"), 7), Repeat(W("a\nb\rc\r\n"), 6) + W("a\nb...")},  // every break counts
        {strLong, strLong.substr(0, 4000) + W("...")},     // 2,000 characters
        {Repeat(W("x"), 2000), Repeat(W("x"), 2000)},
        {Repeat(W("x"), 1999) + W("\r\ny"), Repeat(W("x"), 1999) + W("\r\n...")},
        {W("\x1B]0;owned\x07Red\x1B[31m\u009B2J \t\x7F\u0085ok") + WString(1, 0) + W("!\r\nnext"),
         W("]0;ownedRed[31m2J ok!\r\nnext")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BoundChanges(c.strChanges), c.strShown) << WideToUtf8(c.strChanges).substr(0, 80);
}

TEST(Online, UrlEncode)
{
    WString strLoneSurrogate = WSTR("a");
    strLoneSurrogate += static_cast<WChar>(0xD83D);
    const struct {
        WString strText;
        const char* pszEncoded;
    } cases[] = {
        {W("a b-c"), "a+b%2Dc"},
        {W("Line\r\nnext"), "Line%0D%0Anext"},
        {W("caf\u00E9 100% a+b=c&d"), "caf%E9+100%25+a%2Bb%3Dc%26d"},
        {W("\u00FF\u0100"), "%FF%26%23256%3B"},
        {W("\u0416\u0441"), "%26%231046%3B%26%231089%3B"},  // not %16 and the letter A
        {W("\U0001F600"), "%26%23128512%3B"},                // one code point from the pair
        {strLoneSurrogate, "a%26%2365533%3B"},
        {W("&#1089; &"), "%26%2338%3B%231089%3B+%26"},       // typed text stays text
        {W(""), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlEncode(c.strText), W(c.pszEncoded)) << c.pszEncoded;
}

TEST(Online, ReportUrl)
{
    EXPECT_EQ(MakeReportUrl(W("http://h/input.php"), MakeReportQuery(W(""), W(""), W(""), W("1.0.0"))),
              W("http://h/input.php?msg=&email=&model=&version=1.0.0"));
    EXPECT_EQ(MakeReportUrl(W("http://h/input.php"), MakeReportQuery(W("a@b.c"), W("Nokia 6310i"), W("Hi there"),
                                                                     W("1.2.3"))),
              W("http://h/input.php?msg=Hi+there&email=a%40b%2Ec&model=Nokia+6310i&version=1.2.3"));
    EXPECT_EQ(GetRequestLineSize(W("http://h:80/input.php?msg=a")), std::string("GET /input.php?msg=a HTTP/1.1").size());
    EXPECT_EQ(GetRequestLineSize(W("http://h")), std::string("GET / HTTP/1.1").size());
}

// What must go for the request line to stay within 8000 bytes: the fewest
// characters, from the end of the message, then of the model and e-mail.
TEST(Online, FeedbackBoundedByItsEncodedSize)
{
    const WString strEndpoint = W("http://127.0.0.1:8080/input.php");
    const size_t nBase = GetRequestLineSize(MakeReportUrl(strEndpoint, MakeReportQuery({}, {}, {}, W("1.0.0"))));
    const size_t nRoom = kMaxReportRequestLine - nBase;
    const WString strZhe = W("\u0436"), strGrin = W("\U0001F600");  // 13 and 15 bytes encoded
    const size_t nZheFit = nRoom / 13;
    const struct { WString strModel, strMsg; size_t nOver; } cases[] = {
        {{}, WString(nRoom, 'a'), 0},
        {{}, WString(nRoom + 1, 'a'), 1},
        {{}, WString(nRoom - 2, 'a') + strZhe, 1},  // one character, though only 11 bytes too many
        {{}, Repeat(strZhe, 1000), 1000 - nZheFit},
        {{}, Repeat(strGrin, 600), 600 - nRoom / 15},  // a surrogate pair is one character
        {WString(9, 'm'), WString(nRoom - 4, 'a'), 5},
        {Repeat(strZhe, 700), W("ab"), 2 + 700 - nZheFit},  // the message alone does not do
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CountCharsOverRequestLine(strEndpoint, {}, c.strModel, c.strMsg, W("1.0.0")), c.nOver)
            << c.strMsg.size();
    }
}

TEST(Online, ReportQueueKeepsFeedbackOverStatistics)
{
    std::deque<CReport> queue;
    for (size_t i = 0; i < kMaxQueuedReports; ++i)
        PushReport(queue, CReport{W(std::to_string(i).c_str()), i % 2 == 1, 0});
    PushReport(queue, CReport{W("new"), false, 0});  // the oldest statistics report, "0", goes
    ASSERT_EQ(queue.size(), kMaxQueuedReports);
    EXPECT_EQ(queue.front().strQuery, W("1"));
    EXPECT_EQ(queue.back().strQuery, W("new"));
    std::deque<CReport> feedback(kMaxQueuedReports, CReport{W("q"), true, 0});
    PushReport(feedback, CReport{W("r"), true, 0});
    EXPECT_EQ(feedback.size(), kMaxQueuedReports + 1);  // never dropped
}

TEST(Online, PendingFeedbackGivenUpAfterThreeStarts)
{
    CReport report{W("msg=Hi&email=&model=&version=1.0.0"), true, 0};
    EXPECT_EQ(FormatPendingFeedback(report), W("0 msg=Hi&email=&model=&version=1.0.0"));
    EXPECT_TRUE(KeepAfterFailure(report));
    EXPECT_TRUE(KeepAfterFailure(report));
    CReport read;
    ASSERT_TRUE(ParsePendingFeedback(FormatPendingFeedback(report), read));
    EXPECT_EQ((std::make_tuple(read.strQuery, read.bFeedback, read.nFailedStarts)),
              (std::make_tuple(report.strQuery, true, 2u)));
    EXPECT_FALSE(KeepAfterFailure(report));  // the third start that could not send it
    for (const char* psz : {"", "msg=x", "1", "1 ", " msg=x", "x msg=x", "1 msg=a b", "123 msg=x"})
        EXPECT_FALSE(ParsePendingFeedback(W(psz), read)) << psz;
}

TEST(Online, ServerUrl)
{
    const WString strDefault = GetBuiltInServer();
    ASSERT_TRUE(IsPermittedServer(strDefault)) << WideToUtf8(strDefault);
    EXPECT_EQ(strDefault.compare(0, 8, WSTR("https://")), 0) << WideToUtf8(strDefault);
    EXPECT_EQ(MakeServerUrl(W("http://127.0.0.1:8080"), kReportPath), W("http://127.0.0.1:8080/input.php"));
    EXPECT_EQ(MakeServerUrl(W("https://h:65535/p"), kReportPath), W("https://h:65535/p/input.php"));
    EXPECT_EQ(MakeServerUrl(W("HTTPS://example.org/sms//"), kUpdateCheckPath),
              W("HTTPS://example.org/sms/ZanduSMS/updatecheck.php"));
    EXPECT_EQ(MakeServerUrl(W("http://[::1]:8080/"), kDownloadPath), W("http://[::1]:8080/ZanduSMS/download.php"));
    // A malformed setting counts as absent.
    for (const char* pszSetting : {"", "example.org", "ftp://example.org", "https://", "https:///path", "https://a b",
                                   "https://h/?x=1", "https://h/#x", " https://h", "https://h:", "https://h:x/p",
                                   "https://h:0", "https://h:65536", "https://h:99999999999/p", "http://[::1",
                                   "http://[]/", "http://[::1]x/", "http://[g::1]/"}) {
        EXPECT_FALSE(IsServerUrl(W(pszSetting))) << pszSetting;
        EXPECT_EQ(MakeServerUrl(W(pszSetting), kDownloadPath), strDefault + WSTR("/ZanduSMS/download.php"))
            << pszSetting;
    }
}

// Plain http goes only to this machine; a refused server counts as absent,
// with the reason.
TEST(Online, PlainHttpOnlyToThisMachine)
{
    const struct {
        const char* pszSetting;
        bool bPermitted;
    } cases[] = {
        {"https://example.org", true},      {"https://203.0.113.5:8443/sms", true},
        {"http://127.0.0.1:8080", true},    {"http://127.255.0.9", true},     {"http://127.0.0.0", true},
        {"http://localhost:1", true},       {"HTTP://LocalHost/sms", true},    {"http://[::1]:8080", true},
        {"http://example.org", false},      {"http://example.org:80/", false}, {"http://128.0.0.1", false},
        {"http://127.0.0.1.example.org", false}, {"http://localhost.example.org/", false},
        {"http://127.0.0.256", false},      {"http://127.0.0", false},         {"http://127.0.0.01", false},
        {"http://0177.0.0.1", false},       {"http://127.1", false},           {"http://2130706433", false},
        {"http://[::2]", false},            {"http://[0:0:0:0:0:0:0:1]", false},  // other spellings: refused
        {"http://10.0.0.1:8080", false},    {"http://192.168.1.1", false},
    };
    for (const auto& c : cases) {
        const WString strSetting = W(c.pszSetting);
        ASSERT_TRUE(IsServerUrl(strSetting)) << c.pszSetting;
        EXPECT_EQ(GetServerRefusal(strSetting).empty(), c.bPermitted) << c.pszSetting;
        const WString strBase = c.bPermitted ? strSetting : GetBuiltInServer();
        EXPECT_EQ(MakeServerUrl(strSetting, kReportPath), strBase + kReportPath) << c.pszSetting;
    }
    EXPECT_TRUE(IsLoopbackHost(W("::1")));  // the host of [::1] as a URL's parts give it
}

TEST(Online, BodyIsConvertedWhole)
{
    EXPECT_EQ(DecodeHttpBody("caf\xC3\xA9 \xD0\x96 \xF0\x9F\x98\x80"), W("caf\u00E9 \u0416 \U0001F600"));
    EXPECT_EQ(DecodeHttpBody("caf\xE9"), W("caf\u00E9"));  // not UTF-8: the ANSI code page
    EXPECT_EQ(DecodeHttpBody(std::string("a\0b", 3)), WString(WSTR("a\0b"), 3));
    EXPECT_EQ(DecodeHttpBody(""), WString());
}

} // namespace
