// What the skinned controls show of the keyboard, as the system's own
// controls do: the focus as a dotted rectangle in the caption's colour, and
// the mnemonics underlined, once the keyboard is in use in the window (the
// window's UI state, which WM_UPDATEUISTATE changes).
#pragma once

#include <windows.h>

// The control has the focus and its window shows focus cues.
bool ShowsFocusCue(HWND hWnd);
// DT_HIDEPREFIX while the window hides mnemonics, else 0.
UINT GetMnemonicFlag(HWND hWnd);
// Every other pixel of a one-pixel frame.
void DrawFocusCue(HDC hDC, const RECT& rc, COLORREF color);
