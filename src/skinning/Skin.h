// The process-wide skin: colours, font, opacity and the dialogs' bitmaps,
// read once at start-up from the "skin" folder beside the executable.
//
// Errors in this layer: a skin or bitmap that cannot be read gives false
// (the start-up says so in a box); a colour or number that cannot be read
// is the default; nothing throws.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "base/Raii.h"
#include "skinning/HighContrast.h"
#include "skinning/SkinBitmap.h"
#include "skinning/SkinConfig.h"

// Slots of the skin bitmaps and the dialog each is the background of.
enum class SkinBitmapIndex {
    SBI_MAIN,      // zandu.bmp: the main dialog
    SBI_HISTORY,   // history.bmp: the History dialog
    SBI_ABOUT,     // about.bmp: the About dialog
    SBI_FEEDBACK,  // feedback.bmp: the Feedback dialog
    SBI_INBOX,     // inbox.bmp: the Inbox dialog; history.bmp when a skin has none
    SBI_PIN,       // pin.bmp: the SIM PIN dialog; feedback.bmp when a skin has none
    SBI_CONTACTS,  // contacts.bmp: the Contacts dialog; history.bmp when a skin has none
    SBI_CONVERSATIONS,  // conversations.bmp: the Conversations dialog; history.bmp when a skin has none
};
const size_t kSkinBitmapCount = 8;
static_assert(static_cast<size_t>(SkinBitmapIndex::SBI_CONVERSATIONS) + 1 == kSkinBitmapCount, "one count per bitmap");

class CSkin {
public:
    CSkin();
    ~CSkin();
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    // Reads colors.ini (a missing file, section or key gives its default),
    // creates the font, then loads zandu.bmp, history.bmp, feedback.bmp and
    // about.bmp in that order. False at the first bitmap that fails to load.
    // Then inbox.bmp, which a skin made before the Inbox lacks: without it
    // (or when it cannot be read) the Inbox, sized as the History, takes
    // history.bmp; and pin.bmp, without which the SIM PIN dialog, sized as
    // the Feedback, takes feedback.bmp; and contacts.bmp, without which the
    // Contacts, sized as the History, takes history.bmp.
    bool LoadSkin();
    bool LoadSkin(const WString& strFolder);  // strFolder ends in a backslash

    // The skin's colour of a slot, or the system's while the windows are
    // drawn in the system's colours.
    COLORREF GetColor(SkinColor nSlot) const
    {
        return UsesSystemColors() ? GetSystemColorFor(nSlot) : m_aColors[static_cast<size_t>(nSlot)];
    }
    // Windows' high contrast is on, or the skin asks for the system's
    // colours ("SystemColors" in [Misc]): the windows are drawn in them, on
    // the system's window colour instead of the bitmaps, and opaque.
    bool UsesSystemColors() const { return m_bSystemColors || m_bHighContrast; }
    // Reads the high contrast switch again, when the system says that it or
    // its colours may have changed. True when it changed.
    bool UpdateHighContrast();

    // The font at the system's DPI, and at any other (made on first use).
    HFONT GetFont() const { return m_hFont.Get(); }
    HFONT GetFont(UINT nDpi);
    bool IsBorderHover() const { return m_bBorderHover; }
    // Opacity in percent, 0 to 100; 100 in the system's colours.
    uint8_t GetAlpha() const { return UsesSystemColors() ? 100 : m_btAlpha; }

    // A slot's bitmap as loaded, drawn for 96 DPI.
    const CSkinBitmap& GetBitmap(SkinBitmapIndex nIndex) const { return m_aBitmaps[Resolve(nIndex)]; }
    // The bitmap of a slot for windows at nDpi: the one ScaleBitmap made for
    // that DPI, else the one loaded.
    const CSkinBitmap& GetBitmap(SkinBitmapIndex nIndex, UINT nDpi) const;
    // Makes the slot's bitmap for windows at nDpi in the size their dialog
    // has there: resampled from the skin's larger bitmap when it has one
    // ("zandu@150.bmp" for 150 %, or the next larger scale it carries), else
    // from the one loaded. A size beyond any screen keeps the one loaded.
    const CSkinBitmap& ScaleBitmap(SkinBitmapIndex nIndex, UINT nDpi, SIZE size);
    // Paints the part rcPart of the slot's bitmap for nDpi (the dialog's
    // coordinates) onto hDC at ptTo, or the system's window colour there.
    void PaintBackground(HDC hDC, SkinBitmapIndex nIndex, UINT nDpi, const RECT& rcPart, POINT ptTo) const;

private:
    void ReadColors(const WString& strIni);
    void CreateSkinFont(const WString& strIni);
    void ReadMisc(const WString& strIni);
    HFONT CreateFontAt(UINT nDpi) const;
    size_t Resolve(SkinBitmapIndex nIndex) const;
    bool LoadLarger(size_t nSlot, UINT nDpi, CSkinBitmap& bitmap) const;

    CSkinBitmap m_aBitmaps[kSkinBitmapCount];
    COLORREF m_aColors[kSkinColorCount];
    CFontHandle m_hFont;
    UINT m_nFontDpi = 0;                        // the DPI m_hFont is for
    std::map<UINT, CFontHandle> m_fontsAtDpi;   // the others
    std::map<std::pair<size_t, UINT>, std::unique_ptr<CSkinBitmap>> m_scaled;  // by slot and DPI
    WString m_strFolder;
    int m_nFontSize = 0;
    WString m_strFace;
    bool m_bBorderHover;
    bool m_bHasInbox = false;
    bool m_bHasPin = false;
    bool m_bHasContacts = false;
    bool m_bHasConversations = false;
    bool m_bSystemColors = false;
    bool m_bHighContrast = false;
    uint8_t m_btAlpha;
};

CSkin& GetSkin();
