// Conversions between the narrow texts of the phone and the wide texts of the user.
#include <gtest/gtest.h>

#include "base/CodePage.h"
#include "base/Text.h"

namespace {

TEST(Text, Utf8RoundTrip)
{
    const std::string utf8 = "Zo\xC3\xAB \xE2\x82\xAC \xF0\x9F\x98\x80 \xD0\x96";  // ë € 😀 Ж
    const WString wide = Utf8ToWide(utf8);
    ASSERT_EQ(wide.size(), 10u);
    EXPECT_EQ(wide[2], static_cast<WChar>(0xEB));
    EXPECT_EQ(wide[4], static_cast<WChar>(0x20AC));
    EXPECT_EQ(wide[6], static_cast<WChar>(0xD83D));  // a surrogate pair
    EXPECT_EQ(wide[7], static_cast<WChar>(0xDE00));
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(Text, MalformedUtf8BecomesReplacementCharacters)
{
    const char* bad[] = {"\x80", "\xC3", "\xE2\x82", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"};
    for (const char* s : bad) {
        EXPECT_FALSE(IsValidUtf8(s)) << s;
        const WString wide = Utf8ToWide(s);
        ASSERT_FALSE(wide.empty());
        for (WChar c : wide)
            EXPECT_EQ(c, static_cast<WChar>(0xFFFD));
    }
    EXPECT_EQ(Utf8ToWide("a\xFF" "b"), WSTR("a\xFFFD" "b"));
    EXPECT_TRUE(IsValidUtf8("plain"));
}

TEST(Text, LoneSurrogatesBecomeReplacementCharacters)
{
    WString w;
    w += static_cast<WChar>(0xDC00);
    w += 'a';
    EXPECT_EQ(WideToUtf8(w), "\xEF\xBF\xBD" "a");
}

TEST(Text, AnsiRoundTripOfLatinText)
{
    const std::string ansi = "Caf\xE9 \x80";  // é and the euro sign in Windows-1252
    const WString wide = AnsiToWide(ansi);
    EXPECT_EQ(wide[3], static_cast<WChar>(0xE9));
    EXPECT_EQ(wide[5], static_cast<WChar>(0x20AC));
    EXPECT_EQ(WideToAnsi(wide), ansi);
}

TEST(Text, CharsetNamesAndTheWesternCodePagesInEveryBuild)
{
    const struct {
        const char* pszName;
        unsigned nCodePage;
        const char* pszBytes;
        const char* pszText;  // null: only where the platform converts it
    } cases[] = {
        {"iso-8859-15", 28605, "\xA4 \xBD", "€ œ"}, {"Windows-1252", 1252, "\x80 \xE9", "€ é"},
        {"latin1", 28591, "\xE9", "é"},            {"us-ascii", 20127, "a\xE9", "a\xEF\xBF\xBD"},
        {"Shift_JIS", 932, "\x8E\x52", nullptr},    {"CP1251", 1251, "\xC0", nullptr},
        {"x-unknown", 0, "", nullptr},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CodePageOfCharset(Utf8ToWide(c.pszName)), c.nCodePage) << c.pszName;
        WString str;
        if (c.pszText || !c.nCodePage) {
            EXPECT_EQ(CodePageToWide(c.nCodePage, c.pszBytes, str) ? WideToUtf8(str) : "-", c.pszText ? c.pszText : "-");
        }
    }
}

TEST(Text, TrimWhite)
{
    EXPECT_EQ(TrimWhite("\r\n OK \t\r\n"), "OK");
    EXPECT_EQ(TrimWhite("AT\r\r\nOK\r\n"), "AT\r\r\nOK");
    EXPECT_EQ(TrimWhite(" \v\f "), "");
    EXPECT_EQ(TrimWhite(""), "");
    EXPECT_EQ(TrimWhite("> "), ">");
}

} // namespace
