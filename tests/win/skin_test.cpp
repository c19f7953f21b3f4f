// Loading the skin from a folder: colors.ini values and their defaults, the
// font, and the bitmaps with their transparency rules.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "skinning/Skin.h"

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
    const int nStride = ((nWidth * nBits / 8) + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = nWidth;
    info.biHeight = nHeight;
    info.biPlanes = 1;
    info.biBitCount = static_cast<WORD>(nBits);
    info.biCompression = BI_RGB;
    info.biSizeImage = static_cast<DWORD>(nStride * nHeight);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + info.biSizeImage;
    std::vector<char> rows;
    for (int r = 0; r < nHeight; ++r) {
        const int y = nHeight - 1 - r;
        std::vector<char> row(nStride, 0);
        for (int x = 0; x < nWidth; ++x) {
            const uint32_t p = pixels[y * nWidth + x];
            for (int b = 0; b < nBits / 8; ++b)
                row[x * nBits / 8 + b] = static_cast<char>((p >> (8 * b)) & 0xFF);
        }
        rows.insert(rows.end(), row.begin(), row.end());
    }
    std::ofstream out(Narrow(strPath), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info), sizeof(info));
    out.write(rows.data(), static_cast<std::streamsize>(rows.size()));
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
    EXPECT_EQ(skin.GetColor(SKC_EDIT_TEXT), RGB(0xAA, 0xAA, 0xAA));
    EXPECT_EQ(skin.GetColor(SKC_STATIC_TEXT), RGB(0xAA, 0xAA, 0xAA));
    EXPECT_EQ(skin.GetColor(SKC_TEXT_DISABLED), RGB(0x60, 0x60, 0x60));
    EXPECT_EQ(skin.GetColor(SKC_BORDER), RGB(0x22, 0x22, 0x22));
    EXPECT_EQ(skin.GetColor(SKC_EDIT_BG), RGB(0x44, 0x44, 0x44));
    EXPECT_EQ(skin.GetColor(SKC_EDIT_BG_DISABLED), RGB(0x3A, 0x3A, 0x3A));
    EXPECT_EQ(skin.GetColor(SKC_BUTTON_BG), RGB(0x44, 0x44, 0x44));
    EXPECT_EQ(skin.GetColor(SKC_BUTTON_BG_DISABLED), RGB(0x3A, 0x3A, 0x3A));
    EXPECT_EQ(skin.GetColor(SKC_GROUP_BOX), RGB(0xAA, 0xAA, 0xAA));
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
    EXPECT_EQ(skin.GetColor(SKC_BORDER), 0x000000FFu);
    EXPECT_EQ(skin.GetColor(SKC_EDIT_BG), 0x000000FFu);
    EXPECT_EQ(skin.GetColor(SKC_GROUP_BOX), 0x0000FF00u);
    EXPECT_EQ(skin.GetColor(SKC_STATIC_TEXT), 0u);  // not a number: black
    EXPECT_EQ(skin.GetColor(SKC_EDIT_TEXT), RGB(0xAA, 0xAA, 0xAA));  // absent: default
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
    EXPECT_NE(skin.GetBitmap(SBI_MAIN).GetHandle(), nullptr);
    EXPECT_NE(skin.GetBitmap(SBI_HISTORY).GetHandle(), nullptr);
    EXPECT_EQ(skin.GetBitmap(SBI_FEEDBACK).GetHandle(), nullptr);
    EXPECT_EQ(skin.GetBitmap(SBI_ABOUT).GetHandle(), nullptr);
}

TEST_F(SkinTest, ABitmapIsIndexedByItsDialog)
{
    WriteBmp(m_strFolder + L"about.bmp", 3, 1, 32, {1, 2, 3});
    WriteBmp(m_strFolder + L"feedback.bmp", 1, 4, 32, {1, 2, 3, 4});
    CSkin skin;
    ASSERT_TRUE(skin.LoadSkin(m_strFolder));
    EXPECT_EQ(skin.GetBitmap(SBI_ABOUT).GetWidth(), 3);
    EXPECT_EQ(skin.GetBitmap(SBI_FEEDBACK).GetHeight(), 4);
    EXPECT_EQ(skin.GetBitmap(SBI_MAIN).GetWidth(), 2);
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

TEST(Skin, OneProcessWideSkin)
{
    EXPECT_EQ(&GetSkin(), &GetSkin());
}

} // namespace
