// The SIM PIN dialog: the PIN the phone asks for, in a password field, with
// the warning that three wrong PINs lock the SIM. The PIN goes to the phone
// and is forgotten: nothing of it is stored or traced.
#pragma once

#include <string>

#include "skinning/SkinnedDlg.h"

class CPinDlg : public CSkinnedDlg {
public:
    // bRefused: the phone refused the PIN given before, which the dialog says.
    explicit CPinDlg(bool bRefused);
    ~CPinDlg() override;

    // The PIN typed (4 to 8 digits) once the dialog ended with IDOK.
    const std::string& GetPin() const { return m_strPin; }

private:
    void OnInitDialog() override;
    bool OnClicked(int nId) override;
    bool OnCommand(int nId, int nCode) override;
    void OnOk();

    bool m_bRefused;
    std::string m_strPin;
};
