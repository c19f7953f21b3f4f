// A push button with a rounded face of ButtonBg (ButtonBgDisabled when
// disabled), its caption in StaticText (TextDisabled when disabled), and a
// Border outline that, with border hover on, shows only under the mouse.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedButton : public CSkinnedControl {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnPaint();
};
