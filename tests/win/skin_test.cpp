// Loading the skin from a folder: colors.ini values and their defaults, the
// font, and the bitmaps with their transparency rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "base/Util.h"
#include "skinning/BmpFile.h"
#include "skinning/Skin.h"
#include "support/BmpWriter.h"

namespace {

const wchar_t* const kBitmapFiles[] = {L"zandu.bmp", L"history.bmp", L"about.bmp", L"feedback.bmp"};

std::string Narrow(const std::wstring& str)
{
    return WideToAnsi(str);
}

// Writes a .bmp file: 32 bits per pixel (pixels 0xAARRGGBB) or 24 (alpha
// dropped), rows given top row first and stored bottom-up.
void WriteBmp(const std::wstring& strPath, int nWidth, int nHeight, int nBits, const std::vector<uint32_t>& pixels)
{
    const std::vector<uint8_t> bytes = MakeBmp({nWidth, nHeight, static_cast<unsigned>(nBits)}, pixels);
    std::ofstream out(Narrow(strPath), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t szTemp[MAX_PATH];
        GetTempPathW(MAX_PATH, szTemp);
        m_strFolder = std::wstring(szTemp) + L"zandu_skin_test_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(m_strFolder.c_str(), nullptr);
        for (const wchar_t* pszFile : kBitmapFiles)
            WriteBmp(m_strFolder + pszFile, 2, 2, 32, {0xFF102030, 0xFF102030, 0xFF102030, 0xFF102030});
    }
    void TearDown() override
    {
        for (const wchar_t* pszFile : kBitmapFiles)
            DeleteFileW((m_strFolder + pszFile).c_str());
        DeleteFileW((m_strFolder + L"colors.ini").c_str());
        DeleteFileW((m_strFolder + L"one.bmp").c_str());
        RemoveDirectoryW(m_strFolder.c_str());
    }
    void WriteIni(const std::string& strText)
    {
        std::ofstream out(Narrow(m_strFolder + L"colors.ini"), std::ios::binary);
        out << strText;
    }
    static LOGFONTW FontOf(const CSkin& skin)
    {
        LOGFONTW lf = {};
        EXPECT_NE(skin.GetFont(), nullptr);
        GetObjectW(skin.GetFont(), sizeof(lf), &lf);
        return lf;
    }
    static int PixelsPerInch()
    {
        HDC hDC = GetDC(nullptr);
        const int n = GetDeviceCaps(hDC, LOGPIXELSY);
        ReleaseDC(nullptr, hDC);
        return n;
    }
    // The pixels of a loaded bitmap, top row first.
    static std::vector<uint32_t> TopDown(const CSkinBitmap& bitmap)
    {
        std::vector<uint32_t> pixels;
        const int w = bitmap.GetWidth(), h = bitmap.GetHeight();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels.push_back(bitmap.GetBits()[(h - 1 - y) * w + x]);
        return pixels;
    }

    std::wstring m_strFolder;
};

TEST_F(SkinTest, WithoutColorsIniEveryValueIsItsDefault)
{
    CSkin skin;
    ASSERT_TRUE(skin.LoadSkin(m_strFolder));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_EDIT_TEXT), RGB(0xAA, 0xAA, 0xAA));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_STATIC_TEXT), RGB(0xAA, 0xAA, 0xAA));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_TEXT_DISABLED), RGB(0x60, 0x60, 0x60));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_BORDER), RGB(0x22, 0x22, 0x22));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_EDIT_BG), RGB(0x44, 0x44, 0x44));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_EDIT_BG_DISABLED), RGB(0x3A, 0x3A, 0x3A));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_BUTTON_BG), RGB(0x44, 0x44, 0x44));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_BUTTON_BG_DISABLED), RGB(0x3A, 0x3A, 0x3A));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_GROUP_BOX), RGB(0xAA, 0xAA, 0xAA));
    const LOGFONTW lf = FontOf(skin);
    EXPECT_STREQ(lf.lfFaceName, L"Verdana");
    EXPECT_EQ(lf.lfHeight, -MulDiv(7, PixelsPerInch(), 72));
    EXPECT_EQ(lf.lfWeight, 0);
    EXPECT_TRUE(skin.IsBorderHover());
    EXPECT_EQ(skin.GetAlpha(), 98);
}

TEST_F(SkinTest, ColorsIniValuesAreConverted)
{
    WriteIni("[Colors]\r\nBorder=FF0000\r\nEditBg=0xff0000\r\nGroupBox=00ff00 ; green\r\nStaticText=none\r\n"
             "[Font]\r\nSize=12\r\nFace=Courier New\r\n"
             "[Misc]\r\nEnableBorderHover=no\r\nAlpha=150\r\n");
    CSkin skin;
    ASSERT_TRUE(skin.LoadSkin(m_strFolder));
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_BORDER), 0x000000FFu);
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_EDIT_BG), 0x000000FFu);
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_GROUP_BOX), 0x0000FF00u);
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_STATIC_TEXT), 0u);  // not a number: black
    EXPECT_EQ(skin.GetColor(SkinColor::SKC_EDIT_TEXT), RGB(0xAA, 0xAA, 0xAA));  // absent: default
    const LOGFONTW lf = FontOf(skin);
    EXPECT_STREQ(lf.lfFaceName, L"Courier New");
    EXPECT_EQ(lf.lfHeight, -MulDiv(12, PixelsPerInch(), 72));
    EXPECT_FALSE(skin.IsBorderHover());
    EXPECT_EQ(skin.GetAlpha(), 100);
}

TEST_F(SkinTest, BorderHoverAndAlphaValues)
{
    const struct {
        const char* pszHover;
        bool bHover;
        const char* pszAlpha;
        int nAlpha;
    } aCases[] = {{"TRUE", true, "300", 44}, {"1", true, "0", 0}, {"on", false, "100", 100}, {"no", false, "x", 0}};
    for (const auto& c : aCases) {
        WriteIni(std::string("[Misc]\r\nEnableBorderHover=") + c.pszHover + "\r\nAlpha=" + c.pszAlpha + "\r\n");
        CSkin skin;
        ASSERT_TRUE(skin.LoadSkin(m_strFolder));
        EXPECT_EQ(skin.IsBorderHover(), c.bHover) << c.pszHover;
        EXPECT_EQ(skin.GetAlpha(), c.nAlpha) << c.pszAlpha;
    }
}

TEST_F(SkinTest, ALongFaceNameIsCutTo31Characters)
{
    WriteIni("[Font]\r\nFace=" + std::string(40, 'F') + "\r\nSize=0\r\n");
    CSkin skin;
    ASSERT_TRUE(skin.LoadSkin(m_strFolder));
    const LOGFONTW lf = FontOf(skin);
    EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(31, L'F'));
    EXPECT_EQ(lf.lfHeight, 0);  // size 0: the system's default height
}

TEST_F(SkinTest, EachMissingBitmapFailsTheLoad)
{
    for (const wchar_t* pszMissing : kBitmapFiles) {
        const std::wstring strPath = m_strFolder + pszMissing;
        ASSERT_TRUE(MoveFileW(strPath.c_str(), (m_strFolder + L"one.bmp").c_str()));
        CSkin skin;
        EXPECT_FALSE(skin.LoadSkin(m_strFolder)) << Narrow(pszMissing);
        ASSERT_TRUE(MoveFileW((m_strFolder + L"one.bmp").c_str(), strPath.c_str()));
    }
    CSkin skin;
    EXPECT_TRUE(skin.LoadSkin(m_strFolder));
}

TEST_F(SkinTest, AnUnreadableBitmapFailsTheLoad)
{
    std::ofstream(Narrow(m_strFolder + L"history.bmp"), std::ios::binary) << "BM not really a bitmap";
    CSkin skin;
    EXPECT_FALSE(skin.LoadSkin(m_strFolder));
}

TEST_F(SkinTest, LoadingStopsAtTheFirstFailureInFileOrder)
{
    // Order: zandu.bmp, history.bmp, feedback.bmp, about.bmp.
    DeleteFileW((m_strFolder + L"feedback.bmp").c_str());
    CSkin skin;
    EXPECT_FALSE(skin.LoadSkin(m_strFolder));
    EXPECT_NE(skin.GetBitmap(SkinBitmapIndex::SBI_MAIN).GetHandle(), nullptr);
    EXPECT_NE(skin.GetBitmap(SkinBitmapIndex::SBI_HISTORY).GetHandle(), nullptr);
    EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_FEEDBACK).GetHandle(), nullptr);
    EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_ABOUT).GetHandle(), nullptr);
}

TEST_F(SkinTest, ABitmapIsIndexedByItsDialog)
{
    WriteBmp(m_strFolder + L"about.bmp", 3, 1, 32, {1, 2, 3});
    WriteBmp(m_strFolder + L"feedback.bmp", 1, 4, 32, {1, 2, 3, 4});
    CSkin skin;
    ASSERT_TRUE(skin.LoadSkin(m_strFolder));
    EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_ABOUT).GetWidth(), 3);
    EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_FEEDBACK).GetHeight(), 4);
    EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_MAIN).GetWidth(), 2);
}

// A skin made before the Inbox has no inbox.bmp: it loads, and the Inbox
// (the History's size) takes history.bmp; one it has and can read is its own.
TEST_F(SkinTest, TheInboxBitmapIsOptionalAndFallsBackToTheHistorys)
{
    WriteBmp(m_strFolder + L"history.bmp", 5, 1, 32, {1, 2, 3, 4, 5});
    for (const char* pszInbox : {"", "BM not really a bitmap", "own"}) {
        const std::wstring strInbox = m_strFolder + L"inbox.bmp";
        DeleteFileW(strInbox.c_str());
        if (std::string(pszInbox) == "own")
            WriteBmp(strInbox, 7, 1, 32, {1, 2, 3, 4, 5, 6, 7});
        else if (*pszInbox)
            std::ofstream(Narrow(strInbox), std::ios::binary) << pszInbox;
        CSkin skin;
        ASSERT_TRUE(skin.LoadSkin(m_strFolder)) << pszInbox;
        EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_INBOX).GetWidth(), std::string(pszInbox) == "own" ? 7 : 5) << pszInbox;
        EXPECT_EQ(skin.GetBitmap(SkinBitmapIndex::SBI_CONTACTS).GetWidth(), 5) << "no contacts.bmp: the History's";
    }
}

TEST_F(SkinTest, AThirtyTwoBitBitmapKeepsItsAlphaAndWhiteWithoutAlphaTurnsTransparent)
{
    const std::wstring strPath = m_strFolder + L"one.bmp";
    WriteBmp(strPath, 3, 2, 32, {0x80112233, 0x00FFFFFF, 0xFFFFFFFF, 0x00000000, 0x00123456, 0xFE00FF00});
    CSkinBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(strPath));
    EXPECT_EQ(bitmap.GetWidth(), 3);
    EXPECT_EQ(bitmap.GetHeight(), 2);
    EXPECT_EQ(bitmap.GetInfo().bmiHeader.biBitCount, 32);
    EXPECT_EQ(bitmap.GetInfo().bmiHeader.biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(TopDown(bitmap),
              (std::vector<uint32_t>{0x80112233, 0x00000000, 0xFFFFFFFF, 0x00000000, 0x00123456, 0xFE00FF00}));
    BITMAP bm = {};
    ASSERT_EQ(GetObjectW(bitmap.GetHandle(), sizeof(bm), &bm), static_cast<int>(sizeof(bm)));
    EXPECT_EQ(bm.bmBitsPixel, 32);
    EXPECT_EQ(bm.bmBits, bitmap.GetBits());  // the pixels are the DIB section's own
}

TEST_F(SkinTest, ATwentyFourBitBitmapIsOpaqueButForItsWhite)
{
    const std::wstring strPath = m_strFolder + L"one.bmp";
    WriteBmp(strPath, 3, 1, 24, {0x00FFFFFF, 0x00000000, 0x00FEFFFF});
    CSkinBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(strPath));
    EXPECT_EQ(TopDown(bitmap), (std::vector<uint32_t>{0x00000000, 0xFF000000, 0xFFFEFFFF}));
}

TEST_F(SkinTest, AFailedLoadKeepsTheBitmapHeldBefore)
{
    const std::wstring strPath = m_strFolder + L"one.bmp";
    WriteBmp(strPath, 2, 1, 32, {0xFF010203, 0xFF040506});
    CSkinBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(strPath));
    const HBITMAP hBefore = bitmap.GetHandle();
    EXPECT_FALSE(bitmap.Load(m_strFolder + L"absent.bmp"));
    EXPECT_EQ(bitmap.GetHandle(), hBefore);
    EXPECT_EQ(bitmap.GetWidth(), 2);
}

// The pixels the system's loader gives for a file, bottom row first, with
// the skin's rules applied as the program did when it loaded its bitmaps
// through the system; empty when the system refuses the file.
std::vector<uint32_t> SystemLoaderPixels(const std::wstring& strPath)
{
    const CBitmapHandle loaded(static_cast<HBITMAP>(LoadImageW(
        nullptr, strPath.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION | LR_DEFAULTSIZE)));
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD aColors[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    const CWindowDC dc;
    if (!loaded || GetDIBits(dc, loaded, 0, 0, nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) < 1)
        return {};
    const bool bAlpha = info.header.biBitCount == 32;
    const LONG nWidth = info.header.biWidth, nHeight = std::abs(info.header.biHeight);
    info.header.biHeight = nHeight;
    info.header.biBitCount = 32;
    info.header.biCompression = BI_RGB;
    info.header.biSizeImage = 0;
    info.header.biClrUsed = 0;
    std::vector<uint32_t> pixels(static_cast<size_t>(nWidth) * nHeight);
    if (GetDIBits(dc, loaded, 0, nHeight, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) !=
        nHeight)
        return {};
    for (uint32_t& nPixel : pixels)
        nPixel = nPixel == 0x00FFFFFF ? 0 : bAlpha ? nPixel : (nPixel | 0xFF000000u);
    return pixels;
}

TEST_F(SkinTest, TheReaderGivesThePixelsOfTheSystemLoader)
{
    // What the reader makes of bytes against what the system's loader makes
    // of systemBytes, in the bits compared.
    const std::wstring strPath = m_strFolder + L"one.bmp";
    const auto Compare = [&](const std::string& strName, const std::vector<uint8_t>& bytes,
                             const std::vector<uint8_t>& systemBytes, uint32_t nCompared) {
        CBmpFile file;
        EXPECT_TRUE(file.Read(bytes.data(), bytes.size())) << strName;
        std::ofstream(Narrow(strPath), std::ios::binary)
            .write(reinterpret_cast<const char*>(systemBytes.data()), static_cast<std::streamsize>(systemBytes.size()));
        std::vector<uint32_t> expected = SystemLoaderPixels(strPath);
        ASSERT_EQ(file.pixels.size(), expected.size()) << strName;
        for (size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(file.pixels[i] & nCompared, expected[i] & nCompared) << strName << ", pixel " << i;
    };
    for (const wchar_t* pszFile : kBitmapFiles) {
        std::ifstream in(Narrow(GetSkinFolder() + pszFile), std::ios::binary);
        const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Compare(Narrow(pszFile), bytes, bytes, ~0u);
    }

    std::mt19937 rnd(7);
    std::vector<uint32_t> palette(256);
    for (uint32_t& nColor : palette)
        nColor = rnd() & 0xFFFFFF;
    palette[1] = 0xFFFFFF;
    const std::vector<uint32_t> palette16(palette.begin(), palette.begin() + 16);
    const std::vector<uint32_t> palette100(palette.begin(), palette.begin() + 100);
    // Random pixels, some of them white. Wine's loader turns 5-6-5 into
    // 5-5-5, so there the last bit of green is not compared.
    const struct {
        const char* pszName;
        CBmpFormat format;
        uint32_t nValueMask, nWhite, nCompared;
    } aLayouts[] = {
        {"1 bit", {13, 5, 1, 0, 40, {}, {0x102030, 0xFFFFFF}}, 1, 1, ~0u},
        {"4 bits", {13, 5, 4, 0, 40, {}, palette16}, 0xF, 1, ~0u},
        {"8 bits", {13, 5, 8, 0, 40, {}, palette}, 0xFF, 1, ~0u},
        {"8 bits, a short colour table", {13, 5, 8, 0, 40, {}, palette100}, 0xFF, 1, ~0u},
        {"16 bits 5-5-5", {13, 5, 16}, 0xFFFF, 0x7FFF, ~0u},
        {"16 bits 5-6-5", {13, 5, 16, 3, 40, {0xF800, 0x07E0, 0x001F}}, 0xFFFF, 0xFFFF, 0xFFFFF8FF},
        {"24 bits", {13, 5, 24}, 0xFFFFFF, 0xFFFFFF, ~0u},
        {"24 bits top-down", {13, -5, 24}, 0xFFFFFF, 0xFFFFFF, ~0u},
        {"32 bits", {13, 5, 32}, ~0u, 0x00FFFFFF, ~0u},
        {"32 bits top-down", {13, -5, 32}, ~0u, 0x00FFFFFF, ~0u},
        {"32 bits, masks in a V5 header", {13, 5, 32, 3, 124, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}}, ~0u,
         0x00FFFFFF, ~0u},
    };
    for (const auto& layout : aLayouts) {
        std::vector<uint32_t> values(65);
        for (uint32_t& nValue : values)
            nValue = rnd() & layout.nValueMask;
        values[0] = values[17] = values[64] = layout.nWhite;
        // Wine's loader gives a blank picture for a top-down file: it gets
        // the same picture stored bottom-up.
        CBmpFormat bottomUp = layout.format;
        bottomUp.nHeight = std::abs(bottomUp.nHeight);
        Compare(layout.pszName, MakeBmp(layout.format, values), MakeBmp(bottomUp, values), layout.nCompared);
    }
}

TEST(SkinBitmap, TheOutlineBuiltInBatchesIsTheSame)
{
    CSkinBitmap bitmap;
    ASSERT_TRUE(bitmap.Load(GetSkinFolder() + L"zandu.bmp"));
    const CRgnHandle hWhole(bitmap.CreateRegion());
    RECT box = {};
    ASSERT_EQ(GetRgnBox(hWhole, &box), COMPLEXREGION);
    EXPECT_EQ(box.right, bitmap.GetWidth());
    const std::vector<CPixelRun> runs = FindOpaqueRuns(bitmap.GetBits(), bitmap.GetWidth(), bitmap.GetHeight());
    for (size_t nRunsPerBatch : {1, 7, 100000}) {
        const CRgnHandle hBatched(CSkinBitmap::CreateRegionInBatches(runs, nRunsPerBatch));
        EXPECT_TRUE(EqualRgn(hWhole, hBatched)) << nRunsPerBatch;
    }
}

TEST(Skin, OneProcessWideSkin)
{
    EXPECT_EQ(&GetSkin(), &GetSkin());
}

} // namespace
