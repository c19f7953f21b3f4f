// The window outline of a skin bitmap as horizontal runs of pixels that are
// not 0, the bitmap resampled for another DPI, and the number box's
// completion decisions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skinning/BitmapScale.h"
#include "skinning/NumberCompletion.h"
#include "skinning/SkinRegion.h"

namespace {

// A bitmap drawn as text rows, top row first: '#' is an opaque pixel, '.' a
// pixel of value 0. Returned bottom-up, as the skin holds its pixels.
std::vector<uint32_t> Bitmap(const std::vector<std::string>& rows)
{
    std::vector<uint32_t> bits;
    for (auto it = rows.rbegin(); it != rows.rend(); ++it)
        for (char ch : *it)
            bits.push_back(ch == '#' ? 0xFF203040u : 0u);
    return bits;
}

// The runs as text: "row:left-right" each.
std::string Runs(const std::vector<std::string>& rows)
{
    const std::vector<uint32_t> bits = Bitmap(rows);
    const int nWidth = rows.empty() ? 0 : static_cast<int>(rows[0].size());
    std::string out;
    for (const CPixelRun& run : FindOpaqueRuns(bits.data(), nWidth, static_cast<int>(rows.size())))
        out += std::to_string(run.nTop) + ":" + std::to_string(run.nLeft) + "-" + std::to_string(run.nRight) + " ";
    return out;
}

TEST(SkinRegion, RunsCoverExactlyThePixelsThatAreNotZero)
{
    const struct {
        std::vector<std::string> rows;
        const char* pszRuns;
    } aCases[] = {
        {{}, ""},
        {{"...", "..."}, ""},
        {{"###", "###"}, "0:0-3 1:0-3 "},
        {{".##.", "####", ".##."}, "0:1-3 1:0-4 2:1-3 "},                  // rounded corners
        {{"#.#.#", "##.##"}, "0:0-1 0:2-3 0:4-5 1:0-2 1:3-5 "},          // holes
        {{"#", ".", "#"}, "0:0-1 2:0-1 "},                                // one-pixel rows
        {{"......#"}, "0:6-7 "},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(Runs(c.rows), c.pszRuns) << ::testing::PrintToString(c.rows);
}

TEST(BitmapScale, ResamplesSmoothlyAndKeepsTheTransparentOutside)
{
    const uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;
    const struct {
        std::vector<uint32_t> pixels;
        int nWidth, nHeight, nNewWidth, nNewHeight;
        std::vector<uint32_t> expected;
    } aCases[] = {
        {{kBlack, kWhite, 0u, 0x80402010u}, 2, 2, 2, 2, {kBlack, kWhite, 0u, 0x80402010u}},  // the same size: unchanged
        {{kBlack, kWhite}, 2, 1, 4, 1, {kBlack, 0xFF404040u, 0xFFBFBFBFu, kWhite}},           // enlarged: interpolated
        {{kBlack, kWhite, kBlack, kWhite}, 4, 1, 1, 1, {0xFF808080u}},                        // shrunk: every pixel counts
        {{0u, 0u, 0u, kWhite}, 4, 1, 8, 1, {0u, 0u, 0u, 0u, 0u, 0x40404040u, 0xBFBFBFBFu, kWhite}},  // an edge: partly transparent
        {{kWhite}, 1, 1, 0, 3, {}},
    };
    for (const auto& c : aCases)
        EXPECT_EQ(ScaleSkinPixels(c.pixels.data(), c.nWidth, c.nHeight, c.nNewWidth, c.nNewHeight), c.expected)
            << c.nWidth << "x" << c.nHeight << " to " << c.nNewWidth << "x" << c.nNewHeight;
}

TEST(BitmapScale, ColoursStayPremultiplied)
{
    // Any mix of premultiplied pixels, at 150 % and 62.5 %: no channel above the alpha.
    std::vector<uint32_t> pixels;
    for (uint32_t i = 0; i < 64; ++i) {
        const uint32_t nAlpha = (i * 37) & 0xFF;
        pixels.push_back(nAlpha << 24 | (nAlpha * (i % 3) / 2) << 16 | (nAlpha * (i % 5) / 4) << 8 | nAlpha);
    }
    for (const int nSide : {12, 5}) {
        for (uint32_t nPixel : ScaleSkinPixels(pixels.data(), 8, 8, nSide, nSide)) {
            const uint32_t nAlpha = nPixel >> 24;
            EXPECT_LE((nPixel >> 16) & 0xFF, nAlpha);
            EXPECT_LE((nPixel >> 8) & 0xFF, nAlpha);
            EXPECT_LE(nPixel & 0xFF, nAlpha);
        }
    }
}

TEST(SkinRegion, OnlyTheValueZeroIsLeftOut)
{
    // Black with zero alpha is 0; any other value, even a fully transparent
    // colour, is inside the window.
    const uint32_t aBits[] = {0x00000000u, 0x00000001u, 0x01000000u, 0xFF000000u};
    const std::vector<CPixelRun> runs = FindOpaqueRuns(aBits, 4, 1);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].nLeft, 1);
    EXPECT_EQ(runs[0].nRight, 4);
    EXPECT_TRUE(FindOpaqueRuns(nullptr, 4, 4).empty());
}

TEST(NumberCompletion, DeleteAndBackspaceSwitchCompletionOff)
{
    EXPECT_FALSE(CompletesAfterKey(0x08));  // VK_BACK
    EXPECT_FALSE(CompletesAfterKey(0x2E));  // VK_DELETE
    EXPECT_TRUE(CompletesAfterKey('1'));
    EXPECT_TRUE(CompletesAfterKey(0x25));   // VK_LEFT
    EXPECT_TRUE(ShouldComplete(true, 1));
    EXPECT_FALSE(ShouldComplete(false, 1));
    EXPECT_FALSE(ShouldComplete(true, 0));  // an emptied box stays empty
}

TEST(NumberCompletion, WhatTheBoxSelectsAfterTheSearch)
{
    const struct {
        CEditSel sel;
        size_t nTyped;
        bool bMatched;
        CCompletionStep expected;
    } aCases[] = {
        // Typing at the end: the completed remainder is selected.
        {{2, 2}, 2, true, {false, false, {2, kSelToEnd}}},
        {{1, 1}, 1, true, {false, false, {1, kSelToEnd}}},
        // The caret inside the text keeps its place.
        {{1, 1}, 3, true, {false, false, {1, 1}}},
        {{0, 2}, 3, true, {false, false, {0, 2}}},
        // No item begins with the text: it is put back with its selection,
        // and the caret goes to its end unless it was inside.
        {{3, 3}, 3, false, {true, true, {3, kSelToEnd}}},
        {{1, 1}, 3, false, {true, true, {1, 1}}},
        // The selection could not be read.
        {{-1, -1}, 4, true, {false, false, {4, kSelToEnd}}},
        {{-1, -1}, 4, false, {true, false, {4, kSelToEnd}}},
    };
    for (const auto& c : aCases) {
        const CCompletionStep step = PlanCompletion(c.sel, c.nTyped, c.bMatched);
        const std::string strCase = std::to_string(c.sel.nStart) + "," + std::to_string(c.sel.nEnd) + " typed " +
                                    std::to_string(c.nTyped) + (c.bMatched ? " matched" : " unmatched");
        EXPECT_EQ(step.bPutTextBack, c.expected.bPutTextBack) << strCase;
        EXPECT_EQ(step.bRestoreSel, c.expected.bRestoreSel) << strCase;
        EXPECT_EQ(step.sel.nStart, c.expected.sel.nStart) << strCase;
        EXPECT_EQ(step.sel.nEnd, c.expected.sel.nEnd) << strCase;
    }
}

} // namespace
