// What makes a dialog skinned: the outline of its skin bitmap (transparent
// pixels are cut out of the window), the skin's opacity, the bitmap as its
// background, the skin's colours for its plain controls, the skin font for
// every child, and moving the window by pressing the mouse anywhere on its
// background. A dialog includes one and consults it first for every message.
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
    // WM_INITDIALOG (the shape) and WM_LBUTTONDOWN (the drag) it returns
    // false, so the dialog's own handlers run after it.
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void ApplyShape();
    void OnPaint();
    HBRUSH OnCtlColorStatic(HDC hDC, HWND hControl);
    // The brush of EditBg, or of EditBgDisabled.
    HBRUSH Brush(bool bDisabled);

    const HWND& m_hWnd;
    SkinBitmapIndex m_nBitmap;
    CBrushHandle m_hEditBg;          // kept for the life of the dialog
    CBrushHandle m_hEditBgDisabled;  // rather than made for every message
};
