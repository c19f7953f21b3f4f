// An edit control without a client edge, with 2-pixel margins and a one-pixel
// frame in the border colour; a multi-line edit's frame encloses its
// scroll bar. Text and background colours come from the dialog.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedEdit : public CSkinnedControl {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

protected:
    // Its own frame replaces the sunken edge.
    void OnAttached() override;

private:
    void OnPaint();
};
