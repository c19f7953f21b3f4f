// The byte layout of the registry's list values: what the reader makes of
// stored bytes and exactly which bytes the writer stores.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/MultiSz.h"

namespace {

typedef std::vector<WString> CList;

// UTF-16LE bytes of an ASCII text in which '|' stands for a zero character.
std::vector<uint8_t> Bytes(const std::string& strText)
{
    std::vector<uint8_t> ab;
    for (char ch : strText) {
        ab.push_back(ch == '|' ? 0 : static_cast<uint8_t>(ch));
        ab.push_back(0);
    }
    return ab;
}

CList Decode(const std::vector<uint8_t>& ab, bool* pbValid = nullptr)
{
    CList aList{WSTR("stale")};
    const bool bValid = DecodeMultiSz(ab.data(), ab.size(), aList);
    if (pbValid)
        *pbValid = bValid;
    return aList;
}

TEST(MultiSz, ReadsTheStringsInOrder)
{
    EXPECT_EQ(Decode(Bytes("COM1|COM10|x||")), (CList{WSTR("COM1"), WSTR("COM10"), WSTR("x")}));
    EXPECT_EQ(Decode(Bytes(" 0123||")), (CList{WSTR(" 0123")}));
}

TEST(MultiSz, ShortDataIsAnEmptyList)
{
    bool bValid = true;
    EXPECT_TRUE(Decode(Bytes("a|"), &bValid).empty());  // 4 bytes: one character and one zero
    EXPECT_FALSE(bValid);
    EXPECT_TRUE(Decode(Bytes("|"), &bValid).empty());
    EXPECT_TRUE(Decode({}, &bValid).empty());
    EXPECT_EQ(Decode(Bytes("a||"), &bValid), CList{WSTR("a")});  // 6 bytes: the shortest list
    EXPECT_TRUE(bValid);
    EXPECT_TRUE(Decode(Bytes("||||")).empty());  // long enough, but only zeros
}

TEST(MultiSz, MalformedDataIsAnEmptyList)
{
    std::vector<uint8_t> ab = Bytes("abc||");
    ab.push_back(0);  // odd byte count
    EXPECT_TRUE(Decode(ab).empty());
    EXPECT_TRUE(Decode(Bytes("abc|d")).empty());    // last character not zero
    EXPECT_TRUE(Decode(Bytes("abc|d|")).empty());   // the final zero is missing
    EXPECT_TRUE(Decode(Bytes("abcd")).empty());     // no zero at all
    CList aList{WSTR("stale")};
    EXPECT_FALSE(DecodeMultiSz(nullptr, 8, aList));
    EXPECT_TRUE(aList.empty());
}

TEST(MultiSz, EmptyStringsInsideTheDataAreSkipped)
{
    EXPECT_EQ(Decode(Bytes("a||b||")), (CList{WSTR("a"), WSTR("b")}));
    EXPECT_EQ(Decode(Bytes("|||a||")), CList{WSTR("a")});
}

TEST(MultiSz, CharactersAreLittleEndianUtf16)
{
    const std::vector<uint8_t> ab = {0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE, 0, 0, 0, 0};  // euro sign, U+1F600
    const CList aList = Decode(ab);
    ASSERT_EQ(aList.size(), 1u);
    EXPECT_EQ(aList[0], (WString{WChar(0x20AC), WChar(0xD83D), WChar(0xDE00)}));
    EXPECT_EQ(EncodeMultiSz(aList), ab);
}

TEST(MultiSz, WritesEachStringWithItsZeroAndOneMoreZero)
{
    EXPECT_EQ(EncodeMultiSz({WSTR("name1"), WSTR("123")}), Bytes("name1|123||"));
    EXPECT_EQ(EncodeMultiSz({WSTR("a")}), Bytes("a||"));
}

TEST(MultiSz, AnEmptyListIsOneZeroCharacterAndReadsBackEmpty)
{
    const std::vector<uint8_t> ab = EncodeMultiSz({});
    EXPECT_EQ(ab, Bytes("|"));
    EXPECT_TRUE(Decode(ab).empty());
}

TEST(MultiSz, TheWriterStopsAtTheFirstEmptyElement)
{
    EXPECT_EQ(EncodeMultiSz({WSTR("a"), WSTR(""), WSTR("b")}), Bytes("a||"));
    EXPECT_EQ(EncodeMultiSz({WSTR(""), WSTR("b")}), Bytes("|"));
}

TEST(MultiSz, AZeroInsideAnElementEndsThatString)
{
    const WString strSplit{WChar('a'), WChar(0), WChar('b')};
    EXPECT_EQ(EncodeMultiSz({strSplit, WSTR("c")}), Bytes("a|b|c||"));
    const WString strTrailing{WChar('a'), WChar(0)};
    EXPECT_EQ(EncodeMultiSz({strTrailing, WSTR("c")}), Bytes("a||"));
}

TEST(MultiSz, WhatIsWrittenReadsBack)
{
    const CList aLists[] = {
        {WSTR(" ")},
        {WSTR(" "), WSTR(" 0123"), WSTR(" 31.12.2025 23:59"), WSTR(" two\r\nlines")},
        {WSTR("x"), WSTR("y"), WSTR("x")},
    };
    for (const CList& aList : aLists)
        EXPECT_EQ(Decode(EncodeMultiSz(aList)), aList);
}

} // namespace
