// The base of the skinned dialogs: the skin part (CSkinnedDialog) consulted
// first for every message, the dialog's own hooks (CDialog) next, and what
// they leave reflected to the control it came from, so that the self-drawing
// controls see their own notifications. The skinned controls are attached
// from one table of the template's items, each with the kind of control that
// draws it, and live as long as the dialog object.
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "skinning/Skin.h"
#include "skinning/SkinnedControl.h"
#include "skinning/SkinnedDialog.h"
#include "win/Dialog.h"

// The skinned control classes, by what they draw.
enum class EControlKind {
    Static,       // CStaticEx: a label or a group box
    Button,       // CSkinnedButton
    Edit,         // CSkinnedEdit
    ComboBox,     // CSkinnedComboBox
    NumberBox,    // CNumberComboBox: a combo box that completes numbers
    RadioButton,  // CSkinnedRadioButton
    CheckBox,     // CSkinnedRadioButton in check-box mode
    ListView,     // CSkinnedListView: a report list view and its header
};

struct CControlItem {
    int nId;
    EControlKind eKind;
    // A button's face when it is not its caption (a symbol such as "X"; the
    // caption names it for screen readers).
    const wchar_t* pszFace = nullptr;
};

class CSkinnedDlg : public CDialog {
public:
    // aControls: the items that get a skinned control, in the order they are
    // attached (at WM_INITDIALOG, before OnInitDialog); a table that lives
    // as long as the dialog.
    template <size_t N>
    CSkinnedDlg(UINT nTemplate, SkinBitmapIndex nBitmap, const CControlItem (&aControls)[N])
        : CDialog(nTemplate), m_nBitmap(nBitmap), m_pControls(aControls), m_nControls(N)
    {
    }

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void AttachControls();

    SkinBitmapIndex m_nBitmap;
    const CControlItem* m_pControls;
    size_t m_nControls;
    CSkinnedDialog m_skin{m_hWnd, m_nBitmap};
    std::vector<std::unique_ptr<CSkinnedControl>> m_controls;
};
