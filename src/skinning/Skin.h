// The process-wide skin: colours, font, opacity and the dialogs' bitmaps,
// read once at start-up from the "skin" folder beside the executable.
//
// Errors in this layer: a skin or bitmap that cannot be read gives false
// (the start-up says so in a box); a colour or number that cannot be read
// is the default; nothing throws.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/Raii.h"
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
};
const size_t kSkinBitmapCount = 7;
static_assert(static_cast<size_t>(SkinBitmapIndex::SBI_CONTACTS) + 1 == kSkinBitmapCount, "one count per bitmap");

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

    COLORREF GetColor(SkinColor nSlot) const { return m_aColors[static_cast<size_t>(nSlot)]; }
    HFONT GetFont() const { return m_hFont.Get(); }
    bool IsBorderHover() const { return m_bBorderHover; }
    uint8_t GetAlpha() const { return m_btAlpha; }  // opacity in percent, 0 to 100
    const CSkinBitmap& GetBitmap(SkinBitmapIndex nIndex) const
    {
        if (nIndex == SkinBitmapIndex::SBI_INBOX && !m_bHasInbox)
            nIndex = SkinBitmapIndex::SBI_HISTORY;
        if (nIndex == SkinBitmapIndex::SBI_PIN && !m_bHasPin)
            nIndex = SkinBitmapIndex::SBI_FEEDBACK;
        if (nIndex == SkinBitmapIndex::SBI_CONTACTS && !m_bHasContacts)
            nIndex = SkinBitmapIndex::SBI_HISTORY;
        return m_aBitmaps[static_cast<size_t>(nIndex)];
    }

private:
    void ReadColors(const WString& strIni);
    void CreateSkinFont(const WString& strIni);
    void ReadMisc(const WString& strIni);

    CSkinBitmap m_aBitmaps[kSkinBitmapCount];
    COLORREF m_aColors[kSkinColorCount];
    CFontHandle m_hFont;
    bool m_bBorderHover;
    bool m_bHasInbox = false;
    bool m_bHasPin = false;
    bool m_bHasContacts = false;
    uint8_t m_btAlpha;
};

CSkin& GetSkin();
