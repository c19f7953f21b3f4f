// Messages: part layout, reference numbers and the character counter.
#include <gtest/gtest.h>

#include <vector>

#include "sms/Msg.h"
#include "support/TestText.h"
#include "support/TraceCapture.h"

namespace {

using test::Repeat;

std::vector<size_t> PartSizes(CMsg& msg)
{
    std::vector<size_t> sizes;
    do {
        sizes.push_back(msg.GetPart().size());
        msg.NextPart();
    } while (!msg.IsComplete());
    return sizes;
}

TEST(Msg, SplittingTable)
{
    const struct { size_t n; std::vector<size_t> parts; } rows[] = {
        {0, {0}}, {160, {160}}, {161, {153, 8}}, {306, {153, 153}}, {307, {153, 153, 1}},
    };
    for (const auto& row : rows) {
        CMsg msg(Repeat(WSTR("x"), row.n), WString(), WSTR("1"));
        EXPECT_EQ(msg.GetTotalParts(), row.parts.size()) << row.n;
        EXPECT_EQ(PartSizes(msg), row.parts) << row.n;
    }
}

TEST(Msg, AnExtensionCharacterIsNeverCutInTwo)
{
    // 152 letters and 9 extension characters: 170 septets, and a cut at 153
    // would fall between the first escape septet and its code.
    CMsg msg(Repeat(WSTR("a"), 152) + Repeat(WSTR("{"), 9), WString(), WSTR("1"));
    ASSERT_EQ(msg.m_strSeptets.size(), 170u);
    EXPECT_EQ(msg.GetTotalParts(), 2u);
    const SeptetString first = msg.GetPart();
    EXPECT_EQ(first, SeptetString(152, 'a'));
    EXPECT_EQ(msg.m_btCurSms, 1);
    msg.NextPart();
    EXPECT_EQ(msg.m_btCurSms, 2);
    EXPECT_EQ(msg.m_dwPos, 152u);
    EXPECT_EQ(msg.GetPart(), msg.m_strSeptets.substr(152));
    EXPECT_EQ(msg.GetPart()[0], 0x1B);
    EXPECT_FALSE(msg.IsComplete());
    msg.NextPart();
    EXPECT_TRUE(msg.IsComplete());
}

TEST(Msg, MovingAnExtensionCharacterCanAddAPart)
{
    // 306 septets would be two full parts; the escape at 152 makes it three.
    CMsg msg(Repeat(WSTR("a"), 152) + WSTR("~") + Repeat(WSTR("b"), 152), WString(), WSTR("1"));
    ASSERT_EQ(msg.m_strSeptets.size(), 306u);
    EXPECT_EQ(PartSizes(msg), (std::vector<size_t>{152, 153, 1}));
    EXPECT_EQ(msg.GetTotalParts(), 3u);
}

TEST(Msg, AnEscapeThatFitsStaysInItsPart)
{
    // The escape at 151 and its code at 152 both fit the first part.
    CMsg msg(Repeat(WSTR("a"), 151) + WSTR("^") + Repeat(WSTR("b"), 20), WString(), WSTR("1"));
    EXPECT_EQ(PartSizes(msg), (std::vector<size_t>{153, 20}));
}

TEST(Msg, ReferencesRunFrom241To255ThenFrom1)
{
    ResetMsgReferences();
    std::vector<uint32_t> refs;
    for (int i = 0; i < 17; ++i)
        refs.push_back(CMsg(WSTR("x"), WString(), WSTR("1")).m_dwRef);
    std::vector<uint32_t> expected;
    for (uint32_t r = 241; r <= 255; ++r)
        expected.push_back(r);
    expected.push_back(1);
    expected.push_back(2);
    EXPECT_EQ(refs, expected);
}

TEST(Msg, ConstructorTracesItsReference)
{
    CTraceCapture capture;
    ResetMsgReferences();
    CMsg msg(WSTR("x"), WString(), WSTR("1"));
    const std::vector<std::string> lines = CTraceCapture::Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("Msg.cpp( "), std::string::npos);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 5), " ) : ");
    EXPECT_EQ(lines[1], "m_dwRef: 241\n");
    EXPECT_TRUE(CTraceCapture::Pairs().empty());  // a plain pair is not reported
}

TEST(Msg, DisplayName)
{
    EXPECT_EQ(CMsg(WString(), WString(), WSTR("0123")).GetDisplayName(), WSTR("0123"));
    EXPECT_EQ(CMsg(WString(), WSTR("Anna"), WSTR("555")).GetDisplayName(), WSTR("Anna (555)"));
}

TEST(Msg, KeepsTheTextAndRecipientAsTyped)
{
    CMsg msg(WSTR("Hi\r\nthere"), WString(), WSTR("+44 (20) 7946-0000"));
    EXPECT_EQ(msg.m_strText, WSTR("Hi\r\nthere"));
    EXPECT_EQ(msg.m_strNumber, WSTR("+44 (20) 7946-0000"));
    EXPECT_EQ(msg.m_btCurSms, 1);
    EXPECT_EQ(msg.m_dwPos, 0u);
}

TEST(Msg, MoreThan255PartsIsTooLong)
{
    EXPECT_FALSE(CMsg(Repeat(WSTR("x"), 255 * 153), WString(), WSTR("1")).IsTooLong());
    CMsg tooLong(Repeat(WSTR("x"), 255 * 153 + 1), WString(), WSTR("1"));
    EXPECT_EQ(tooLong.GetTotalParts(), 256u);
    EXPECT_TRUE(tooLong.IsTooLong());
}

// Texts in UCS-2 --------------------------------------------------------------

const WString kZhe = WSTR("\u0416");  // Cyrillic capital letter zhe
const WString kGrin({WChar(0xD83D), WChar(0xDE00)});  // an emoji: a surrogate pair

std::vector<size_t> Ucs2PartSizes(CMsg& msg)
{
    std::vector<size_t> sizes;
    WString strJoined;
    do {
        sizes.push_back(msg.GetUcs2Part().size());
        strJoined += msg.GetUcs2Part();
        msg.NextPart();
    } while (!msg.IsComplete());
    EXPECT_EQ(strJoined, msg.m_strText);
    return sizes;
}

TEST(Msg, TheEncodingFollowsWhatTheAlphabetCarries)
{
    const struct { WString text; bool bUnicode; } rows[] = {
        {WString(), false}, {WSTR("Hi"), false}, {WSTR("a`b\r\n"), false},  // ` is sent as '\''
        // Control characters other than CR and LF would become '?' in the alphabet.
        {WSTR("a\tb"), true}, {WSTR("\f"), true}, {WSTR("\v"), true}, {WSTR("\x7F"), true},
        {WString({'a', 0x01}), true}, {WString({0x1B}), true}, {WString({0x1F}), true},
        {WSTR("[\u20AC]\u00A4\u00A1\u00BF\u00DF\u0394"), false},
        {WString({'a', 0, 0x416}), false},  // the text ends at its NUL
        {WSTR("a\u00E1"), true}, {kZhe, true}, {WSTR("\u4E2D"), true}, {kGrin, true},
        {WSTR("\u03B1"), true},  // Greek small letters are not in the alphabet
    };
    for (const auto& row : rows) {
        CMsg msg(row.text, WString(), WSTR("1"));
        EXPECT_EQ(msg.IsUnicode(), row.bUnicode) << WideToUtf8(row.text);
        EXPECT_EQ(msg.m_strUnits.empty(), !row.bUnicode);
    }
    // Nothing is dropped or replaced: the code units as typed.
    const WString strMixed = WSTR("Tab\t`\u00E1 ") + kGrin + kZhe;
    EXPECT_EQ(CMsg(strMixed, WString(), WSTR("1")).m_strUnits, strMixed);
}

TEST(Msg, Ucs2PartsHold70Or67CodeUnits)
{
    const struct { size_t n; std::vector<size_t> parts; } rows[] = {
        {1, {1}}, {70, {70}}, {71, {67, 4}}, {134, {67, 67}}, {135, {67, 67, 1}},
        {201, {67, 67, 67}}, {202, {67, 67, 67, 1}},
    };
    for (const auto& row : rows) {
        CMsg msg(Repeat(kZhe, row.n), WString(), WSTR("1"));
        EXPECT_EQ(msg.GetTotalParts(), row.parts.size()) << row.n;
        EXPECT_EQ(Ucs2PartSizes(msg), row.parts) << row.n;
    }
}

TEST(Msg, ASurrogatePairIsNeverSplit)
{
    const struct { WString text; std::vector<size_t> parts; } rows[] = {
        {Repeat(WSTR("a"), 68) + kGrin, {70}},                      // fits one SMS whole
        {Repeat(WSTR("a"), 66) + kGrin + WSTR("bbbbb"), {66, 7}},   // would be cut after 67
        {Repeat(WSTR("a"), 65) + kGrin + WSTR("bbbbb"), {67, 5}},   // ends the part exactly
        {Repeat(kGrin, 70), {66, 66, 8}},
    };
    for (const auto& row : rows) {
        CMsg msg(row.text, WString(), WSTR("1"));
        EXPECT_EQ(Ucs2PartSizes(msg), row.parts) << row.text.size();
    }
}

TEST(Msg, MoreThan255Ucs2PartsIsTooLong)
{
    EXPECT_FALSE(CMsg(Repeat(kZhe, 255 * 67), WString(), WSTR("1")).IsTooLong());
    CMsg tooLong(Repeat(kZhe, 255 * 67 + 1), WString(), WSTR("1"));
    EXPECT_EQ(tooLong.GetTotalParts(), 256u);
    EXPECT_TRUE(tooLong.IsTooLong());
    EXPECT_EQ(CountTextParts(tooLong.m_strText), 256u);
}

TEST(CharCounter, WhatTheTextReallyOccupies)
{
    const struct { WString text; unsigned left, part; bool bUnicode; } rows[] = {
        {WString(), 160, 1, false}, {WSTR("x"), 159, 1, false},
        {Repeat(WSTR("x"), 160), 0, 1, false}, {Repeat(WSTR("x"), 161), 145, 2, false},
        {Repeat(WSTR("x"), 306), 0, 2, false}, {Repeat(WSTR("x"), 307), 152, 3, false},
        // 170 septets; with the letters first the cut at 153 would split an
        // extension character, so the first part holds 152.
        {Repeat(WSTR("\u20AC"), 10) + Repeat(WSTR("a"), 150), 136, 2, false},
        {Repeat(WSTR("a"), 150) + Repeat(WSTR("["), 10), 135, 2, false},
        {Repeat(WSTR("{"), 80), 0, 1, false}, {WSTR("\r\n"), 158, 1, false}, {WSTR("\r\n\t"), 67, 1, true},
        {Repeat(kZhe, 70), 0, 1, true}, {Repeat(kZhe, 71), 63, 2, true},
        {Repeat(kZhe, 134), 0, 2, true}, {Repeat(kZhe, 135), 66, 3, true},
        {WSTR("a") + kZhe, 68, 1, true}, {kGrin, 68, 1, true},
        {Repeat(WSTR("a"), 66) + kGrin + WSTR("bbbb"), 61, 2, true},
    };
    for (const auto& row : rows) {
        const CCharCount count = CountChars(row.text);
        EXPECT_EQ(count.nLeft, row.left) << row.text.size();
        EXPECT_EQ(count.nPart, row.part) << row.text.size();
        EXPECT_EQ(count.bUnicode, row.bUnicode) << row.text.size();
        EXPECT_EQ(CountTextParts(row.text), row.part) << row.text.size();
    }
    EXPECT_EQ(FormatCharCount(CountChars(WSTR("Hi"))), WSTR("158 characters left in SMS 1"));
    EXPECT_EQ(FormatCharCount(CountChars(Repeat(kZhe, 71))), WSTR("63 characters left in SMS 2 (Unicode)"));
}

} // namespace
