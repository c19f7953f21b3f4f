// The base of the controls drawn in the skin's colours: an ordinary control
// of a dialog template whose window procedure is replaced, drawn over the
// part of its dialog's skin bitmap that lies behind it, so that it looks
// transparent over the dialog's image.
#pragma once

#include <windows.h>

#include "skinning/Skin.h"
#include "win/SubclassedWindow.h"

class CSkinnedControl : public CSubclassedWindow {
public:
    // Subclasses a control of a dialog skinned with nBitmap; it is drawn over
    // the part of that bitmap behind it in its parent.
    bool Attach(HWND hWnd, SkinBitmapIndex nBitmap)
    {
        m_nBitmap = nBitmap;
        if (!CSubclassedWindow::Attach(hWnd))
            return false;
        OnAttached();
        return true;
    }

    bool IsHovering() const { return m_bHover; }

protected:
    // The control's own set-up, once it is attached.
    virtual void OnAttached() {}

    // Alpha-blends the part of the dialog's bitmap behind the control onto
    // hDC at (0, 0).
    void PaintParentBackground(HDC hDC) const;

    // Hover tracking: WM_MOUSEMOVE sets m_bHover, repaints once and arms a
    // leave request (and goes on to the control); WM_MOUSELEAVE clears
    // m_bHover and repaints. True when the message is handled here.
    bool HandleHover(UINT uMsg, LRESULT& lResult);

    // The focus and the window's UI state change what a control shows of the
    // keyboard (KeyboardCues): the control takes the message, then is drawn
    // again. True when the message is handled here.
    bool HandleKeyboardCues(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    // Pixels at 96 DPI, and a system metric, at the control's DPI.
    int Scaled(int nPixels) const;
    int Metric(int nIndex) const;

    // The frame colour of an edit or combo box: with border hover on, an
    // enabled control shows its frame only while the mouse is on it.
    COLORREF GetBorderColor(bool bHover) const;

    // A one-pixel frame, and an opaque fill, in a colour.
    static void FrameRect(HDC hDC, const RECT& rc, COLORREF color);
    static void FillRect(HDC hDC, const RECT& rc, COLORREF color);
    // The control's own drawing, into hDC (WM_PAINT with the DC).
    void PaintPrevious(HDC hDC);

    SkinBitmapIndex m_nBitmap = SkinBitmapIndex::SBI_MAIN;
    bool m_bHover = false;
    bool m_bTracking = false;
};
