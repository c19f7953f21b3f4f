#include "skinning/Skin.h"

#include <vector>

#include "base/Util.h"

namespace {

const DWORD kValueChars = 4096;

WString ReadIni(const WString& strIni, const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszDefault)
{
    std::vector<wchar_t> buf(kValueChars, L'\0');
    GetPrivateProfileStringW(pszSection, pszKey, pszDefault, buf.data(), kValueChars, strIni.c_str());
    return buf.data();
}

struct CBitmapFile {
    SkinBitmapIndex nIndex;
    const wchar_t* pszFile;
};

// The order of loading; the first failure ends it.
const CBitmapFile kBitmapFiles[] = {
    {SkinBitmapIndex::SBI_MAIN, L"zandu.bmp"},
    {SkinBitmapIndex::SBI_HISTORY, L"history.bmp"},
    {SkinBitmapIndex::SBI_FEEDBACK, L"feedback.bmp"},
    {SkinBitmapIndex::SBI_ABOUT, L"about.bmp"},
};

} // namespace

CSkin::CSkin() : m_aColors(), m_bBorderHover(false), m_btAlpha(0)
{
}

CSkin::~CSkin() = default;

bool CSkin::LoadSkin()
{
    return LoadSkin(GetSkinFolder());
}

bool CSkin::LoadSkin(const WString& strFolder)
{
    const WString strIni = strFolder + L"colors.ini";
    ReadColors(strIni);
    CreateSkinFont(strIni);
    ReadMisc(strIni);
    for (const CBitmapFile& file : kBitmapFiles) {
        if (!m_aBitmaps[static_cast<size_t>(file.nIndex)].Load(strFolder + file.pszFile))
            return false;
    }
    m_bHasInbox = m_aBitmaps[static_cast<size_t>(SkinBitmapIndex::SBI_INBOX)].Load(strFolder + L"inbox.bmp");
    m_bHasPin = m_aBitmaps[static_cast<size_t>(SkinBitmapIndex::SBI_PIN)].Load(strFolder + L"pin.bmp");
    m_bHasContacts = m_aBitmaps[static_cast<size_t>(SkinBitmapIndex::SBI_CONTACTS)].Load(strFolder + L"contacts.bmp");
    return true;
}

void CSkin::ReadColors(const WString& strIni)
{
    for (size_t i = 0; i < kSkinColorCount; ++i) {
        const SkinColor nSlot = static_cast<SkinColor>(i);
        m_aColors[i] = ParseSkinColor(ReadIni(strIni, L"Colors", GetSkinColorKey(nSlot), GetSkinColorDefault(nSlot)));
    }
}

void CSkin::CreateSkinFont(const WString& strIni)
{
    const int nSize = ParseSkinFontSize(ReadIni(strIni, L"Font", L"Size", kSkinDefaultFontSize));
    const WString strFace = ClipSkinFace(ReadIni(strIni, L"Font", L"Face", kSkinDefaultFontFace));
    const int nPixelsPerInch = GetDeviceCaps(CWindowDC(), LOGPIXELSY);
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(nSize, nPixelsPerInch, 72);
    strFace.copy(lf.lfFaceName, kSkinMaxFaceLength);
    m_hFont.Reset(CreateFontIndirectW(&lf));
}

void CSkin::ReadMisc(const WString& strIni)
{
    m_bBorderHover = ParseSkinBool(ReadIni(strIni, L"Misc", L"EnableBorderHover", kSkinDefaultBorderHover));
    m_btAlpha = ParseSkinAlpha(ReadIni(strIni, L"Misc", L"Alpha", kSkinDefaultAlpha));
}

CSkin& GetSkin()
{
    static CSkin skin;
    return skin;
}
