// A static text or a group box over the skin. A group box draws its frame in
// GroupBox and its caption in StaticText; a static text is painted by the
// control over the dialog's image (its colours come from the dialog).
#pragma once

#include "skinning/SkinnedControl.h"

class CStaticEx : public CSkinnedControl {
public:
    using CSkinnedControl::CSkinnedControl;

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnPaintGroupBox();
    void OnPaintStatic();
};
