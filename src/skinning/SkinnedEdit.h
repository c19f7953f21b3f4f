// An edit control without a client edge, with 2-pixel margins and a one-pixel
// frame in the border colour; a multi-line edit's frame encloses its
// scroll bar. Text and background colours come from the dialog.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedEdit : public CSkinnedControl {
public:
    using CSkinnedControl::CSkinnedControl;

    bool Attach(HWND hWnd);
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnPaint();
};
