// Messages: part layout, reference numbers and the character counter.
#include <gtest/gtest.h>

#include <vector>

#include "sms/Msg.h"
#include "support/TraceCapture.h"

namespace {

WString Repeat(const WString& s, size_t n)
{
    WString out;
    for (size_t i = 0; i < n; ++i)
        out += s;
    return out;
}

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

TEST(Msg, ExtensionCharactersCountTwiceForPartsButOnceForTheCounter)
{
    CMsg msg(Repeat(WSTR("a"), 150) + Repeat(WSTR("]"), 10), WString(), WSTR("1"));
    EXPECT_EQ(msg.m_strSeptets.size(), 170u);
    EXPECT_EQ(msg.GetTotalParts(), 2u);
    const CCharCount count = CountChars(msg.m_strText.size());
    EXPECT_EQ(count.nLeft, 0u);
    EXPECT_EQ(count.nPart, 1u);
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

TEST(CharCounter, Examples)
{
    const struct { size_t n; unsigned left, part; } rows[] = {
        {0, 160, 1}, {1, 159, 1}, {160, 0, 1}, {161, 145, 2}, {306, 0, 2}, {307, 152, 3},
    };
    for (const auto& row : rows) {
        const CCharCount count = CountChars(row.n);
        EXPECT_EQ(count.nLeft, row.left) << row.n;
        EXPECT_EQ(count.nPart, row.part) << row.n;
    }
}

} // namespace
