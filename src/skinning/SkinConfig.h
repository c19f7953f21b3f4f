// The text-to-value conversions of the skin's colors.ini, free of Win32 so
// that every rule is tested natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/Text.h"

// Colour slots of the skin, in the order their keys are read.
enum class SkinColor {
    SKC_EDIT_TEXT,
    SKC_STATIC_TEXT,
    SKC_TEXT_DISABLED,
    SKC_BORDER,
    SKC_EDIT_BG,
    SKC_EDIT_BG_DISABLED,
    SKC_BUTTON_BG,
    SKC_BUTTON_BG_DISABLED,
    SKC_GROUP_BOX,
};
const size_t kSkinColorCount = 9;
static_assert(static_cast<size_t>(SkinColor::SKC_GROUP_BOX) + 1 == kSkinColorCount, "one count per slot");

// Key of a slot in the "Colors" section and its default as RRGGBB text.
const WChar* GetSkinColorKey(SkinColor nSlot);
const WChar* GetSkinColorDefault(SkinColor nSlot);

// Defaults of the "Font" and "Misc" sections, as text.
extern const WChar kSkinDefaultFontSize[];   // "7"
extern const WChar kSkinDefaultFontFace[];   // "Verdana"
extern const WChar kSkinDefaultBorderHover[];  // "yes"
extern const WChar kSkinDefaultAlpha[];      // "98"

// Most characters of a face name that a font can carry.
const size_t kSkinMaxFaceLength = 31;

// An unsigned number as the C library's strtoul reads it into 32 bits:
// leading white space skipped, digits up to the first character that is not
// one, 0 when there is none, 0xFFFFFFFF on overflow. Base 16 also accepts a
// leading 0x or 0X. A sign is not a digit.
uint32_t ParseSkinNumber(const WString& strText, unsigned nBase);

// RRGGBB (or 0xRRGGBB) as a COLORREF: 0x00BBGGRR. Bits above the 24 of the
// colour are ignored; text that does not start with a hex digit is black.
uint32_t ParseSkinColor(const WString& strText);

// "yes", "1" and "true", in any case, are true; everything else is false.
bool ParseSkinBool(const WString& strText);

// Opacity in percent: the low eight bits of the number, at most 100.
uint8_t ParseSkinAlpha(const WString& strText);

// Point size of the font: an unsigned decimal number, at most 32767 so that
// the pixel height computed from it cannot overflow.
int ParseSkinFontSize(const WString& strText);

// The face name cut to what a font can carry.
WString ClipSkinFace(const WString& strText);
