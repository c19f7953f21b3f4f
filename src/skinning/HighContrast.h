// Windows' high contrast: while it is on, the skinned windows are drawn in
// the system's colours (those the user chose for it) instead of the skin's,
// on the system's window colour instead of the skin's bitmaps, and opaque.
#pragma once

#include <windows.h>

#include "skinning/SkinConfig.h"

bool IsHighContrastOn();
// The system colour that stands for a skin colour slot.
COLORREF GetSystemColorFor(SkinColor nSlot);
// What stands for the skin's bitmaps.
COLORREF GetSystemBackground();
