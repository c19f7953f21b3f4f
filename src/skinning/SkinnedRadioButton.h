// An auto radio button: its caption in StaticText, a circle of EditBg in a
// Border ring, and a StaticText dot when checked. A check box is drawn the
// same way with squares.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedRadioButton : public CSkinnedControl {
public:
    using CSkinnedControl::CSkinnedControl;

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    using ShapeFunc = BOOL(WINAPI*)(HDC, int, int, int, int);

    void OnPaint();
    static void PaintMark(HDC hDC, RECT rcShape, ShapeFunc Shape);
};
