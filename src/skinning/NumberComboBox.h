// The recipients' number box: an editable combo box that completes what the
// user types from its list. Completion stops after Delete or Backspace, so
// that deleting never brings the removed text back, and resumes with the
// next key.
#pragma once

#include "skinning/NumberCompletion.h"
#include "skinning/SkinnedComboBox.h"

class CNumberComboBox : public CSkinnedComboBox {
public:
    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    // The combo box's edit child, whose key presses switch completion.
    class CEdit : public CSubclassedWindow {
    public:
        explicit CEdit(bool& bAutoComplete) : m_bAutoComplete(bAutoComplete) {}
        bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    private:
        bool& m_bAutoComplete;
    };

    void OnEditUpdate();
    CEditSel GetEditSel() const;
    void SetEditSel(CEditSel sel) const;

    bool m_bAutoComplete = true;
    bool m_bCompleting = false;  // the box's own changes are not completed again
    CEdit m_wndEdit{m_bAutoComplete};
};
