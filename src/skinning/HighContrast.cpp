#include "skinning/HighContrast.h"

namespace {

// In the order of the slots: text on the window's colour, fields in the
// window's colours, buttons in the buttons' colours, every line in the text
// colour (the frame colour is often the background's in high contrast).
const int kSystemColors[] = {
    COLOR_WINDOWTEXT,  // EditText
    COLOR_WINDOWTEXT,  // StaticText
    COLOR_GRAYTEXT,    // TextDisabled
    COLOR_WINDOWTEXT,  // Border
    COLOR_WINDOW,      // EditBg
    COLOR_BTNFACE,     // EditBgDisabled
    COLOR_BTNFACE,     // ButtonBg
    COLOR_BTNFACE,     // ButtonBgDisabled
    COLOR_WINDOWTEXT,  // GroupBox
};
static_assert(sizeof(kSystemColors) / sizeof(kSystemColors[0]) == kSkinColorCount, "one system colour per slot");

} // namespace

bool IsHighContrastOn()
{
    HIGHCONTRASTW hc = {};
    hc.cbSize = sizeof(hc);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

COLORREF GetSystemColorFor(SkinColor nSlot)
{
    return GetSysColor(kSystemColors[static_cast<size_t>(nSlot)]);
}

COLORREF GetSystemBackground()
{
    return GetSysColor(COLOR_WINDOW);
}
