// A combo box drawn over the skin: the control's own face clipped to its
// inner rectangle, a frame in the border colour, and an arrow area of its
// own (EditBgDisabled while disabled or dropped down).
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedComboBox : public CSkinnedControl {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

protected:
    bool IsDroppedDown() const;

private:
    void OnPaint();
    void PaintArrow(HDC hDC, const RECT& rcArea, COLORREF color) const;
};
