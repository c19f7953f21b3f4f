// The header of a skinned list view, painted whole by the object: a face of
// ButtonBg, the column captions in StaticText, and Border lines between the
// columns and under them. The system's header draws in the system's colours
// whatever its list is told, and the part right of the last column is drawn
// without any custom-draw notification, so nothing of its own painting is kept.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedHeader : public CSkinnedControl {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnPaint();
    void PaintItem(HDC hDC, int nItem) const;
};
