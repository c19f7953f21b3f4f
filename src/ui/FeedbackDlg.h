// The Feedback dialog: the user's comment, with an optional e-mail address
// and phone model, queued for the maker's server.
#pragma once

#include "skinning/SkinnedDlg.h"

class CFeedbackDlg : public CSkinnedDlg {
public:
    CFeedbackDlg();

private:
    void OnInitDialog() override;
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    void OnSend();
    void OnEnter();
};
