// The alphabet as a phone receives it: which septets each character becomes.
#include <gtest/gtest.h>

#include "sms/GsmAlphabet.h"

namespace {

SeptetString S(std::initializer_list<int> values)
{
    SeptetString s;
    for (int v : values)
        s += static_cast<char>(v);
    return s;
}

WString W(std::initializer_list<unsigned> units)
{
    WString w;
    for (unsigned u : units)
        w += static_cast<WChar>(u);
    return w;
}

TEST(GsmAlphabet, WorkedExamples)
{
    EXPECT_EQ(TextToGsm(WString()), SeptetString());
    const SeptetString at = TextToGsm(WSTR("a@b"));
    EXPECT_EQ(at.size(), 3u);
    EXPECT_EQ(at, S({0x61, 0x00, 0x62}));
    EXPECT_EQ(TextToGsm(WSTR("[x]")), S({0x1B, 0x3C, 0x78, 0x1B, 0x3E}));
    EXPECT_EQ(TextToGsm(WSTR("a|b")), S({0x61, 0x1B, 0x40, 0x62}));
    EXPECT_EQ(TextToGsm(WSTR("a\tb")), S({'a', '?', 'b'}));
    EXPECT_EQ(TextToGsm(W({'a', 0xE1, 'b'})), S({'a', 'b'}));  // á is dropped
    EXPECT_EQ(TextToGsm(WSTR("`")), S({0x27}));
    EXPECT_EQ(TextToGsm(WSTR("\r\n")), S({0x0D, 0x0A}));
}

TEST(GsmAlphabet, PassThroughRanges)
{
    for (unsigned c = 'A'; c <= 'Z'; ++c)
        EXPECT_EQ(TextToGsm(W({c})), S({static_cast<int>(c)}));
    for (unsigned c = 'a'; c <= 'z'; ++c)
        EXPECT_EQ(TextToGsm(W({c})), S({static_cast<int>(c)}));
    for (unsigned c = 0x20; c <= 0x3F; ++c) {
        if (c != '$') {
            EXPECT_EQ(TextToGsm(W({c})), S({static_cast<int>(c)})) << c;
        }
    }
}

TEST(GsmAlphabet, EveryCharacterOfTheAlphabetUsesItsOwnCode)
{
    const struct { unsigned unit; int septet; } single[] = {
        {0x24, 0x02}, {0xA4, 0x24}, {0xA1, 0x40}, {0xBF, 0x60}, {0xDF, 0x1E},  // $ ¤ ¡ ¿ ß
        {0x5F, 0x11}, {0xA3, 0x01}, {0xA5, 0x03}, {0xA7, 0x5F}, {0xC4, 0x5B}, {0xC5, 0x0E},
        {0xC6, 0x1C}, {0xC7, 0x09}, {0xC9, 0x1F}, {0xD1, 0x5D}, {0xD6, 0x5C}, {0xD8, 0x0B},
        {0xDC, 0x5E}, {0xE0, 0x7F}, {0xE4, 0x7B}, {0xE5, 0x0F}, {0xE6, 0x1D}, {0xE8, 0x04},
        {0xE9, 0x05}, {0xEC, 0x07}, {0xF1, 0x7D}, {0xF2, 0x08}, {0xF6, 0x7C}, {0xF8, 0x0C},
        {0xF9, 0x06}, {0xFC, 0x7E}, {0x393, 0x13}, {0x394, 0x10}, {0x398, 0x19}, {0x39B, 0x14},
        {0x39E, 0x1A}, {0x3A0, 0x16}, {0x3A3, 0x18}, {0x3A6, 0x12}, {0x3A8, 0x17}, {0x3A9, 0x15},
    };
    for (const auto& m : single)
        EXPECT_EQ(TextToGsm(W({m.unit})), S({m.septet})) << std::hex << m.unit;

    const struct { unsigned unit; int code; } extension[] = {
        {'[', 0x3C}, {'\\', 0x2F}, {']', 0x3E}, {'^', 0x14}, {'{', 0x28},
        {'|', 0x40}, {'}', 0x29}, {'~', 0x3D}, {0x20AC, 0x65},
    };
    for (const auto& m : extension)
        EXPECT_EQ(TextToGsm(W({m.unit})), S({0x1B, m.code})) << std::hex << m.unit;
}

TEST(GsmAlphabet, ControlCharactersBecomeQuestionMarksOthersAreDropped)
{
    EXPECT_EQ(TextToGsm(W({0x0C})), S({'?'}));  // form feed is not sent as the extension
    EXPECT_EQ(TextToGsm(W({0x01, 0x1B, 0x7F})), S({'?', '?', '?'}));
    EXPECT_EQ(TextToGsm(W({0x80, 0xFF, 0x100, 0x416, 0xFFFD})), SeptetString());
    EXPECT_EQ(TextToGsm(W({'x', 0xD83D, 0xDE00, 'y'})), S({'x', 'y'}));  // a surrogate pair
    EXPECT_EQ(TextToGsm(W({0xE7})), SeptetString());  // ç: no transliteration
}

TEST(GsmAlphabet, StopsAtTheFirstNul)
{
    EXPECT_EQ(TextToGsm(W({'a', 0, 'b'})), S({'a'}));
}

TEST(GsmAlphabet, SeptetsNeverExceedSevenBits)
{
    for (unsigned u = 0; u < 0x10000; ++u)
        for (char c : TextToGsm(W({u == 0 ? 1u : u})))
            ASSERT_EQ(c & 0x80, 0) << u;
}

} // namespace
