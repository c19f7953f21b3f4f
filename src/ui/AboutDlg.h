// The About box: the program's name and version, the credits, and the
// user's switch for the usage statistics (off until the user turns it on).
#pragma once

#include "skinning/SkinnedButton.h"
#include "skinning/SkinnedDialog.h"
#include "skinning/SkinnedRadioButton.h"
#include "skinning/StaticEx.h"
#include "win/Dialog.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    bool ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

private:
    void OnInitDialog();
    bool OnCommand(int nId, int nCode);

    CSkinnedDialog m_skin{m_hWnd, SkinBitmapIndex::SBI_ABOUT};
    CSkinnedButton m_btnOk{m_hWnd, SkinBitmapIndex::SBI_ABOUT};
    CStaticEx m_stVersion{m_hWnd, SkinBitmapIndex::SBI_ABOUT};
    CSkinnedRadioButton m_chkStats{m_hWnd, SkinBitmapIndex::SBI_ABOUT, CSkinnedRadioButton::EMode::CheckBox};
};
