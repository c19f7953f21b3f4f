// What makes a dialog skinned: the outline of its skin bitmap (transparent
// pixels are cut out of the window), the skin's opacity, the bitmap as its
// background, the skin's colours for its plain controls, the skin font for
// every child, and moving the window by pressing the mouse anywhere on its
// background. A dialog includes one and consults it first for every message.
//
// On a screen of another DPI than 96 the bitmap is resampled as the dialog's
// base units scale (the controls are placed in dialog units), and the font
// is the skin's at that DPI; when the window moves to a screen of another
// DPI, both follow. In the system's colours (high contrast) the background
// is the system's window colour and the window opaque.
#pragma once

#include <windows.h>

#include "base/Raii.h"
#include "skinning/Skin.h"
#include "win/Window.h"

class CSkinnedDialog : public CMessageMap {
public:
    // hWnd: the dialog's window-handle member; nBitmap: its skin bitmap.
    CSkinnedDialog(const HWND& hWnd, SkinBitmapIndex nBitmap) : m_hWnd(hWnd), m_nBitmap(nBitmap) {}

    // True ends the dialog's search (painting, colour messages); for
    // WM_INITDIALOG (the shape), WM_LBUTTONDOWN (the drag) and the system's
    // changes (DPI, colours) it returns false, so the dialog's own handlers
    // and the system's run after it.
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void ApplyShape();
    // The bitmap, outline, opacity and fonts for the window's DPI.
    void ApplyDpi();
    // The bitmap's size at m_nDpi: its own, scaled as the dialog's base
    // units are from 96 DPI.
    SIZE GetScaledSize(const CSkinBitmap& bitmap) const;
    SIZE GetBaseUnits(UINT nDpi) const;
    void ApplyOpacity() const;
    void OnDpiChanged(UINT nDpi, const RECT& rcSuggested);
    void OnColorsChanged();
    void OnPaint();
    HBRUSH OnCtlColorStatic(HDC hDC, HWND hControl);
    // The brush of EditBg, or of EditBgDisabled.
    HBRUSH Brush(bool bDisabled);

    const HWND& m_hWnd;
    SkinBitmapIndex m_nBitmap;
    UINT m_nDpi = 96;
    LOGFONTW m_lfDialog = {};        // the template's font, for its base units at any DPI
    int m_nDialogPoints = 0;         // its size in points; 0: the system font
    CBrushHandle m_hEditBg;          // kept for the life of the dialog
    CBrushHandle m_hEditBgDisabled;  // rather than made for every message
};
