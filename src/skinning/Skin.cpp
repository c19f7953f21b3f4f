#include "skinning/Skin.h"

#include <iterator>
#include <string>
#include <vector>

#include "base/Util.h"
#include "win/Dpi.h"

namespace {

const DWORD kValueChars = 4096;

WString ReadIni(const WString& strIni, const wchar_t* pszSection, const wchar_t* pszKey, const wchar_t* pszDefault)
{
    std::vector<wchar_t> buf(kValueChars, L'\0');
    GetPrivateProfileStringW(pszSection, pszKey, pszDefault, buf.data(), kValueChars, strIni.c_str());
    return buf.data();
}

// The file of each slot, without ".bmp", in the order of the slots.
const wchar_t* const kBitmapNames[kSkinBitmapCount] = {L"zandu",  L"history", L"about",   L"feedback",
                                                       L"inbox", L"pin",     L"contacts", L"conversations"};

// The bitmaps every skin has, in the order of loading; the first failure ends it.
const SkinBitmapIndex kRequired[] = {SkinBitmapIndex::SBI_MAIN, SkinBitmapIndex::SBI_HISTORY,
                                     SkinBitmapIndex::SBI_FEEDBACK, SkinBitmapIndex::SBI_ABOUT};

// The scales of Windows' display settings, in percent, for which a skin may
// carry larger bitmaps.
const int kScales[] = {125, 150, 175, 200, 225, 250, 300, 350, 400, 450, 500};

// A bitmap resampled for a DPI is at most this many pixels: a dialog larger
// than any screen keeps its bitmap as loaded.
const long long kMaxScaledPixels = 4096LL * 4096;

WString BitmapPath(const WString& strFolder, size_t nSlot, const WString& strSuffix = WString())
{
    return strFolder + kBitmapNames[nSlot] + strSuffix + L".bmp";
}

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
    m_strFolder = strFolder;
    const WString strIni = strFolder + L"colors.ini";
    ReadColors(strIni);
    CreateSkinFont(strIni);
    ReadMisc(strIni);
    m_bHighContrast = IsHighContrastOn();
    for (SkinBitmapIndex nIndex : kRequired) {
        const size_t nSlot = static_cast<size_t>(nIndex);
        if (!m_aBitmaps[nSlot].Load(BitmapPath(strFolder, nSlot)))
            return false;
    }
    const auto LoadOptional = [this, &strFolder](SkinBitmapIndex nIndex) {
        const size_t nSlot = static_cast<size_t>(nIndex);
        return m_aBitmaps[nSlot].Load(BitmapPath(strFolder, nSlot));
    };
    m_bHasInbox = LoadOptional(SkinBitmapIndex::SBI_INBOX);
    m_bHasPin = LoadOptional(SkinBitmapIndex::SBI_PIN);
    m_bHasContacts = LoadOptional(SkinBitmapIndex::SBI_CONTACTS);
    m_bHasConversations = LoadOptional(SkinBitmapIndex::SBI_CONVERSATIONS);
    return true;
}

bool CSkin::UpdateHighContrast()
{
    const bool bHighContrast = IsHighContrastOn();
    const bool bChanged = bHighContrast != m_bHighContrast;
    m_bHighContrast = bHighContrast;
    return bChanged;
}

// A skin made before the Inbox, the SIM PIN dialog, the Contacts or the
// Conversations gives them the bitmap of the dialog of their size.
size_t CSkin::Resolve(SkinBitmapIndex nIndex) const
{
    if (nIndex == SkinBitmapIndex::SBI_INBOX && !m_bHasInbox)
        nIndex = SkinBitmapIndex::SBI_HISTORY;
    if (nIndex == SkinBitmapIndex::SBI_PIN && !m_bHasPin)
        nIndex = SkinBitmapIndex::SBI_FEEDBACK;
    if ((nIndex == SkinBitmapIndex::SBI_CONTACTS && !m_bHasContacts) ||
        (nIndex == SkinBitmapIndex::SBI_CONVERSATIONS && !m_bHasConversations))
        nIndex = SkinBitmapIndex::SBI_HISTORY;
    return static_cast<size_t>(nIndex);
}

const CSkinBitmap& CSkin::GetBitmap(SkinBitmapIndex nIndex, UINT nDpi) const
{
    const size_t nSlot = Resolve(nIndex);
    const auto it = m_scaled.find(std::make_pair(nSlot, nDpi));
    return it != m_scaled.end() && it->second ? *it->second : m_aBitmaps[nSlot];
}

const CSkinBitmap& CSkin::ScaleBitmap(SkinBitmapIndex nIndex, UINT nDpi, SIZE size)
{
    const size_t nSlot = Resolve(nIndex);
    const CSkinBitmap& loaded = m_aBitmaps[nSlot];
    const bool bSameSize = size.cx == loaded.GetWidth() && size.cy == loaded.GetHeight();
    if (nDpi == kDefaultDpi || bSameSize || size.cx <= 0 || size.cy <= 0 ||
        static_cast<long long>(size.cx) * size.cy > kMaxScaledPixels)
        return loaded;
    std::unique_ptr<CSkinBitmap>& pScaled = m_scaled[std::make_pair(nSlot, nDpi)];
    if (pScaled && pScaled->GetWidth() == size.cx && pScaled->GetHeight() == size.cy)
        return *pScaled;
    CSkinBitmap larger;
    const CSkinBitmap& source = LoadLarger(nSlot, nDpi, larger) ? larger : loaded;
    std::unique_ptr<CSkinBitmap> pMade(new CSkinBitmap);
    if (!pMade->CreateScaled(source, size.cx, size.cy))
        return loaded;
    pScaled = std::move(pMade);
    return *pScaled;
}

// The smallest of the larger bitmaps the skin carries whose scale is at
// least the DPI's, else the largest below it.
bool CSkin::LoadLarger(size_t nSlot, UINT nDpi, CSkinBitmap& bitmap) const
{
    const int nPercent = MulDiv(static_cast<int>(nDpi), 100, static_cast<int>(kDefaultDpi));
    const auto Load = [&](int nScale) {
        return bitmap.Load(BitmapPath(m_strFolder, nSlot, L"@" + std::to_wstring(nScale)));
    };
    for (int nScale : kScales) {
        if (nScale >= nPercent && Load(nScale))
            return true;
    }
    for (auto it = std::rbegin(kScales); it != std::rend(kScales); ++it) {
        if (*it < nPercent && Load(*it))
            return true;
    }
    return false;
}

void CSkin::PaintBackground(HDC hDC, SkinBitmapIndex nIndex, UINT nDpi, const RECT& rcPart, POINT ptTo) const
{
    if (UsesSystemColors()) {
        const RECT rc = {ptTo.x, ptTo.y, ptTo.x + rcPart.right - rcPart.left, ptTo.y + rcPart.bottom - rcPart.top};
        const COLORREF oldColor = SetBkColor(hDC, GetSystemBackground());
        ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
        SetBkColor(hDC, oldColor);
        return;
    }
    // Only the part that lies on the bitmap: a blend that reaches beyond it
    // would draw nothing at all.
    const CSkinBitmap& bitmap = GetBitmap(nIndex, nDpi);
    const RECT rcBitmap = {0, 0, bitmap.GetWidth(), bitmap.GetHeight()};
    RECT rc;
    if (!IntersectRect(&rc, &rcPart, &rcBitmap))
        return;
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    bitmap.Draw(hDC, ptTo.x + rc.left - rcPart.left, ptTo.y + rc.top - rcPart.top, nWidth, nHeight, rc.left, rc.top,
                nWidth, nHeight);
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
    m_nFontSize = ParseSkinFontSize(ReadIni(strIni, L"Font", L"Size", kSkinDefaultFontSize));
    m_strFace = ClipSkinFace(ReadIni(strIni, L"Font", L"Face", kSkinDefaultFontFace));
    m_nFontDpi = static_cast<UINT>(GetDeviceCaps(CWindowDC(), LOGPIXELSY));
    m_hFont.Reset(CreateFontAt(m_nFontDpi));
    m_fontsAtDpi.clear();
}

HFONT CSkin::CreateFontAt(UINT nDpi) const
{
    LOGFONTW lf = {};
    lf.lfHeight = -MulDiv(m_nFontSize, static_cast<int>(nDpi), 72);
    m_strFace.copy(lf.lfFaceName, kSkinMaxFaceLength);
    return CreateFontIndirectW(&lf);
}

HFONT CSkin::GetFont(UINT nDpi)
{
    if (nDpi == m_nFontDpi)
        return m_hFont.Get();
    CFontHandle& hFont = m_fontsAtDpi[nDpi];
    if (!hFont)
        hFont.Reset(CreateFontAt(nDpi));
    return hFont.Get();
}

void CSkin::ReadMisc(const WString& strIni)
{
    m_bBorderHover = ParseSkinBool(ReadIni(strIni, L"Misc", L"EnableBorderHover", kSkinDefaultBorderHover));
    m_btAlpha = ParseSkinAlpha(ReadIni(strIni, L"Misc", L"Alpha", kSkinDefaultAlpha));
    m_bSystemColors = ParseSkinBool(ReadIni(strIni, L"Misc", L"SystemColors", L"no"));
}

CSkin& GetSkin()
{
    static CSkin skin;
    return skin;
}
