// Where the main window stands: kept for the user when it closes, and taken
// at the next start while it still lies on one of the screens (wholly inside
// that screen's work area, moved there when it reaches beyond); otherwise
// the window is centred.
#pragma once

#include <windows.h>

// True when the window now stands where it stood last.
bool RestoreWindowPosition(HWND hWnd);
void SaveWindowPosition(HWND hWnd);
