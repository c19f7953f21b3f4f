// A push button with a rounded face of ButtonBg (ButtonBgDisabled when
// disabled), its caption in StaticText (TextDisabled when disabled), and a
// Border outline that, with border hover on, shows only under the mouse; the
// dialog's default button keeps a double outline, and the focused one shows
// the focus cue while the keyboard is in use.
#pragma once

#include "skinning/SkinnedControl.h"

class CSkinnedButton : public CSkinnedControl {
public:
    // pszFace: drawn on the face instead of the caption (a symbol such as
    // "X"), while the caption names the button for screen readers.
    explicit CSkinnedButton(const wchar_t* pszFace = nullptr) : m_pszFace(pszFace) {}

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnPaint();
    void PaintFace(HDC hDC, const RECT& rcFace, bool bEnabled) const;

    const wchar_t* m_pszFace;
};
