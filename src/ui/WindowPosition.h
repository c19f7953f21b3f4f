// Where the main window stands: kept for the user (in "window.txt" of the
// program's data folder) when it closes, and taken at the next start while
// it still lies on one of the screens (wholly inside that screen's work
// area, moved there when it reaches beyond); otherwise the window is centred.
// A file, not the settings key: the user's settings key is made only when
// the machine-wide one cannot be written, and then takes its values.
#pragma once

#include <windows.h>

// True when the window now stands where it stood last.
bool RestoreWindowPosition(HWND hWnd);
void SaveWindowPosition(HWND hWnd);
