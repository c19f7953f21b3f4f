// The conversions of the skin's colors.ini values.
#include <gtest/gtest.h>

#include "skinning/SkinConfig.h"

namespace {

TEST(SkinConfig, ColoursAreRrggbbStoredAsColorref)
{
    EXPECT_EQ(ParseSkinColor(WSTR("FF0000")), 0x000000FFu);
    EXPECT_EQ(ParseSkinColor(WSTR("0xff0000")), 0x000000FFu);
    EXPECT_EQ(ParseSkinColor(WSTR("0XFF0000")), 0x000000FFu);
    EXPECT_EQ(ParseSkinColor(WSTR("00ff00")), 0x0000FF00u);
    EXPECT_EQ(ParseSkinColor(WSTR("0000FF")), 0x00FF0000u);
    EXPECT_EQ(ParseSkinColor(WSTR("123456")), 0x00563412u);
    EXPECT_EQ(ParseSkinColor(WSTR("  AAAAAA")), 0x00AAAAAAu);
}

TEST(SkinConfig, ColourConversionStopsAtTheFirstNonDigit)
{
    EXPECT_EQ(ParseSkinColor(WSTR("FF00 ; red")), 0x0000FF00u);  // 0xFF00: green
    EXPECT_EQ(ParseSkinColor(WSTR("ABCDEFG")), 0x00EFCDABu);
    EXPECT_EQ(ParseSkinColor(WSTR("red")), 0u);
}

TEST(SkinConfig, ColoursThatAreNotNumbersAreBlack)
{
    EXPECT_EQ(ParseSkinColor(WSTR("")), 0u);
    EXPECT_EQ(ParseSkinColor(WSTR("#FF0000")), 0u);
    EXPECT_EQ(ParseSkinColor(WSTR("-1")), 0u);
    EXPECT_EQ(ParseSkinColor(WSTR("0x")), 0u);
    EXPECT_EQ(ParseSkinColor(WSTR("0xZZ")), 0u);
}

TEST(SkinConfig, BitsAboveTheColourAreIgnored)
{
    EXPECT_EQ(ParseSkinColor(WSTR("7F00FF00")), 0x0000FF00u);
    EXPECT_EQ(ParseSkinColor(WSTR("123456789ABC")), 0x00FFFFFFu);  // beyond 32 bits: saturated
}

TEST(SkinConfig, DefaultColoursAreTheDarkPalette)
{
    EXPECT_EQ(ParseSkinColor(GetSkinColorDefault(SkinColor::SKC_EDIT_TEXT)), 0x00AAAAAAu);
    EXPECT_EQ(ParseSkinColor(GetSkinColorDefault(SkinColor::SKC_TEXT_DISABLED)), 0x00606060u);
    EXPECT_EQ(ParseSkinColor(GetSkinColorDefault(SkinColor::SKC_BORDER)), 0x00222222u);
    EXPECT_EQ(ParseSkinColor(GetSkinColorDefault(SkinColor::SKC_EDIT_BG_DISABLED)), 0x003A3A3Au);
    EXPECT_EQ(WString(GetSkinColorKey(SkinColor::SKC_BUTTON_BG_DISABLED)), WSTR("ButtonBgDisabled"));
    EXPECT_EQ(WString(GetSkinColorKey(SkinColor::SKC_GROUP_BOX)), WSTR("GroupBox"));
}

TEST(SkinConfig, BorderHoverIsYesOneOrTrueInAnyCase)
{
    for (const WChar* psz : {WSTR("yes"), WSTR("YES"), WSTR("Yes"), WSTR("1"), WSTR("true"), WSTR("TRUE")})
        EXPECT_TRUE(ParseSkinBool(psz)) << WideToAnsi(WString(psz).c_str());
    for (const WChar* psz : {WSTR("on"), WSTR("no"), WSTR("0"), WSTR(""), WSTR("yes "), WSTR("01"), WSTR("truely"),
                             WSTR("y")})
        EXPECT_FALSE(ParseSkinBool(psz)) << WideToAnsi(WString(psz).c_str());
}

TEST(SkinConfig, AlphaKeepsTheLowEightBitsAndAtMostOneHundred)
{
    EXPECT_EQ(ParseSkinAlpha(WSTR("98")), 98);
    EXPECT_EQ(ParseSkinAlpha(WSTR("100")), 100);
    EXPECT_EQ(ParseSkinAlpha(WSTR("150")), 100);
    EXPECT_EQ(ParseSkinAlpha(WSTR("300")), 44);
    EXPECT_EQ(ParseSkinAlpha(WSTR("0")), 0);
    EXPECT_EQ(ParseSkinAlpha(WSTR("half")), 0);
    EXPECT_EQ(ParseSkinAlpha(WSTR("50%")), 50);
    EXPECT_EQ(ParseSkinAlpha(WSTR("99999999999")), 100);  // saturates at 0xFFFFFFFF: low byte 255
}

TEST(SkinConfig, FontSizeAndFace)
{
    EXPECT_EQ(ParseSkinFontSize(kSkinDefaultFontSize), 7);
    EXPECT_EQ(ParseSkinFontSize(WSTR("10pt")), 10);
    EXPECT_EQ(ParseSkinFontSize(WSTR("x")), 0);
    EXPECT_EQ(ParseSkinFontSize(WSTR("4000000000")), 32767);
    EXPECT_EQ(ClipSkinFace(kSkinDefaultFontFace), WSTR("Verdana"));
    const WString strLong(40, WChar('F'));
    EXPECT_EQ(ClipSkinFace(strLong), WString(31, WChar('F')));
}

TEST(SkinConfig, NumbersReadLikeStrtoul)
{
    EXPECT_EQ(ParseSkinNumber(WSTR(" \t42"), 10), 42u);
    EXPECT_EQ(ParseSkinNumber(WSTR("4294967295"), 10), 0xFFFFFFFFu);
    EXPECT_EQ(ParseSkinNumber(WSTR("4294967296"), 10), 0xFFFFFFFFu);
    EXPECT_EQ(ParseSkinNumber(WSTR("0x1f"), 16), 0x1Fu);
    EXPECT_EQ(ParseSkinNumber(WSTR("0x1f"), 10), 0u);
    EXPECT_EQ(ParseSkinNumber(WSTR("+5"), 10), 0u);
}

} // namespace
