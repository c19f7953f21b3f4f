// An auto radio button: its caption in StaticText, a circle of EditBg in a
// Border ring, and a StaticText dot when checked. In check-box mode (the
// About box's switch) the same drawing is made of squares.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedRadioButton : public CSkinnedControl {
public:
    enum class EMode { RadioButton, CheckBox };

    explicit CSkinnedRadioButton(EMode eMode = EMode::RadioButton) : m_eMode(eMode) {}

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    using ShapeFunc = BOOL(WINAPI*)(HDC, int, int, int, int);

    void OnPaint();
    void PaintCaption(HDC hDC, const RECT& rcText) const;
    static void PaintMark(HDC hDC, RECT rcShape, ShapeFunc Shape);

    EMode m_eMode;
};
