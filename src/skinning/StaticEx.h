// A static text or a group box over the skin. A group box draws its frame in
// GroupBox and its caption in StaticText; a static text is painted by the
// control over the dialog's image (its colours come from the dialog).
#pragma once

#include "skinning/SkinnedControl.h"

class CStaticEx : public CSkinnedControl {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

protected:
    // A group box is made transparent for the dialog's painting: it only
    // draws its frame and caption, and the controls inside it stand on the
    // dialog's image, which the dialog paints beneath it.
    void OnAttached() override;

private:
    bool IsButton() const;
    // Whether the button is of this type (BS_GROUPBOX).
    bool IsStyleSet(DWORD dwType) const;
    void OnPaintGroupBox();
    void OnPaintStatic();
};
