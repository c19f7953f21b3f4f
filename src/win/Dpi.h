// The dots per inch a window is drawn at. The program declares itself aware
// of each monitor's DPI (the manifest): a window has its monitor's DPI, and
// what is sized in pixels at 96 DPI is scaled to it. Systems older than
// Windows 10 give every window the system's DPI.
#pragma once

#include <windows.h>

const UINT kDefaultDpi = 96;

UINT GetWindowDpi(HWND hWnd);

// Pixels at 96 DPI, at nDpi.
inline int ScaleToDpi(int nPixels, UINT nDpi)
{
    return MulDiv(nPixels, static_cast<int>(nDpi), static_cast<int>(kDefaultDpi));
}

// GetSystemMetrics for a window at nDpi.
int GetSystemMetricForDpi(int nIndex, UINT nDpi);

// The average character width and the height of a font, as the dialog
// manager measures them for a dialog's base units (four and eight dialog
// units).
SIZE GetFontBaseUnits(HFONT hFont);
