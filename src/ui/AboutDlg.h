// The About box: the program's name and version, the credits, and the
// user's switch for the usage statistics (off until the user turns it on).
#pragma once

#include "skinning/SkinnedDlg.h"

class CAboutDlg : public CSkinnedDlg {
public:
    CAboutDlg();

private:
    void OnInitDialog() override;
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
};
