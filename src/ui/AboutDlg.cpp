#include "ui/AboutDlg.h"

#include "base/Settings.h"
#include "base/Util.h"
#include "res/resource.h"
#include "win/Controls.h"

namespace {

constexpr CControlSpec kControls[] = {
    {IDC_ABOUT_OK, EControlKind::Button},
    {IDC_ABOUT_VERSION, EControlKind::Static},
    {IDC_ABOUT_STATS, EControlKind::CheckBox},
};

} // namespace

CAboutDlg::CAboutDlg() : CSkinnedDlg(IDD_ABOUT, SkinBitmapIndex::SBI_ABOUT, kControls) {}

void CAboutDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    SetWindowText(WSTR("About Zandu SMS"));  // no caption shows it; it names the window for the system
    GetDlgItem(IDC_ABOUT_VERSION).SetWindowText(WSTR("Zandu SMS v") + GetVersionText());
    CButton(GetDlgItem(IDC_ABOUT_STATS)).SetCheck(GetSettingsKey().Value("AllowStats").ReadBool(false));
}

bool CAboutDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_ABOUT_OK:
        EndDialog(IDC_ABOUT_OK);
        return true;
    case IDC_ABOUT_STATS:
        GetSettingsKey().Value("AllowStats").WriteBool(CButton(GetDlgItem(IDC_ABOUT_STATS)).IsChecked());
        return true;
    default:
        return false;
    }
}

// Enter and Esc, with whatever notification.
bool CAboutDlg::OnCommand(int nId, int)
{
    if (nId != IDOK && nId != IDCANCEL)
        return false;
    EndDialog(nId);
    return true;
}
