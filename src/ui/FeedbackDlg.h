// The Feedback dialog: the user's comment, with an optional e-mail address
// and phone model, queued for the maker's server.
#pragma once

#include "skinning/SkinnedButton.h"
#include "skinning/SkinnedDialog.h"
#include "skinning/SkinnedEdit.h"
#include "win/Dialog.h"

class CFeedbackDlg : public CDialog {
public:
    CFeedbackDlg();

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnInitDialog();
    bool OnCommand(int nId, int nCode);
    void OnSend();
    void OnEnter();

    CSkinnedDialog m_skin{m_hWnd, SkinBitmapIndex::SBI_FEEDBACK};
    CSkinnedButton m_btnSend{m_hWnd, SkinBitmapIndex::SBI_FEEDBACK};
    CSkinnedButton m_btnCancel{m_hWnd, SkinBitmapIndex::SBI_FEEDBACK};
    CSkinnedEdit m_edEmail{m_hWnd, SkinBitmapIndex::SBI_FEEDBACK};
    CSkinnedEdit m_edFeedback{m_hWnd, SkinBitmapIndex::SBI_FEEDBACK};
    CSkinnedEdit m_edModel{m_hWnd, SkinBitmapIndex::SBI_FEEDBACK};
};
