// A report list view in the skin's colours: rows in EditText on EditBg, the
// selected row the other way round in StaticText, the header skinned, and a
// one-pixel frame that follows the fields' rules (Border; with border hover,
// only while the mouse is on the list). The dialog must reflect the list's
// notifications to it (see win/Reflect.h, as CSkinnedDlg does): the rows'
// colours are set in the list's custom-draw notification.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "skinning/SkinnedControl.h"
#include "skinning/SkinnedHeader.h"

class CSkinnedListView : public CSkinnedControl {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

protected:
    // Its frame, its colours and its header.
    void OnAttached() override;

private:
    void SetColors() const;
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void PaintFrame() const;

    CSkinnedHeader m_header;
};
