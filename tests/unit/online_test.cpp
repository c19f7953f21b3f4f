// The portable logic of the online services: the update reply and its
// versions, the report URL, the choice of server and the body's conversion.
#include <gtest/gtest.h>

#include <cstdint>

#include "online/HttpBody.h"
#include "online/ReportUrl.h"
#include "online/ServerUrl.h"
#include "online/UpdateReply.h"

namespace {

WString W(const char* pszUtf8)
{
    return Utf8ToWide(pszUtf8);
}

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
    EXPECT_EQ(MakeReportUrl(W("http://h/input.php"), W(""), W(""), W(""), W("1.0.0")),
              W("http://h/input.php?msg=&email=&model=&version=1.0.0"));
    EXPECT_EQ(MakeReportUrl(W("http://h/input.php"), W("a@b.c"), W("Nokia 6310i"), W("Hi there"), W("1.2.3")),
              W("http://h/input.php?msg=Hi+there&email=a%40b%2Ec&model=Nokia+6310i&version=1.2.3"));
}

TEST(Online, ServerUrl)
{
    const WString strDefault = GetBuiltInServer();
    ASSERT_TRUE(IsServerUrl(strDefault)) << WideToUtf8(strDefault);
    EXPECT_EQ(MakeServerUrl(W("http://127.0.0.1:8080"), kReportPath), W("http://127.0.0.1:8080/input.php"));
    EXPECT_EQ(MakeServerUrl(W("HTTPS://example.org/sms//"), kUpdateCheckPath),
              W("HTTPS://example.org/sms/ZanduSMS/updatecheck.php"));
    // A malformed setting counts as absent.
    for (const char* pszSetting : {"", "example.org", "ftp://example.org", "http://", "http:///path", "http://a b",
                                   "http://h/?x=1", "http://h/#x", " http://h"})
        EXPECT_EQ(MakeServerUrl(W(pszSetting), kDownloadPath), strDefault + WSTR("/ZanduSMS/download.php"))
            << pszSetting;
}

TEST(Online, BodyIsConvertedWhole)
{
    EXPECT_EQ(DecodeHttpBody("caf\xC3\xA9 \xD0\x96 \xF0\x9F\x98\x80"), W("caf\u00E9 \u0416 \U0001F600"));
    EXPECT_EQ(DecodeHttpBody("caf\xE9"), W("caf\u00E9"));  // not UTF-8: the ANSI code page
    EXPECT_EQ(DecodeHttpBody(std::string("a\0b", 3)), WString(WSTR("a\0b"), 3));
    EXPECT_EQ(DecodeHttpBody(""), WString());
}

} // namespace
