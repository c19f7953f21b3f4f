#include "ui/AboutDlg.h"

#include "base/Settings.h"
#include "base/Util.h"
#include "res/resource.h"
#include "win/Controls.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUT) {}

bool CAboutDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (m_skin.ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
        return true;
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog();
        lResult = TRUE;
        return true;
    case WM_COMMAND:
        lResult = 0;
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    default:
        return false;
    }
}

void CAboutDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    SetWindowText(WSTR("About Zandu SMS"));  // no caption shows it; it names the window for the system
    m_btnOk.Attach(GetDlgItem(IDC_ABOUT_OK));
    m_stVersion.Attach(GetDlgItem(IDC_ABOUT_VERSION));
    m_stVersion.SetWindowText(WSTR("Zandu SMS v") + GetVersionText());
    m_chkStats.Attach(GetDlgItem(IDC_ABOUT_STATS));
    CButton(GetDlgItem(IDC_ABOUT_STATS)).SetCheck(GetSettingsKey().Value("AllowStats").ReadBool(false));
}

bool CAboutDlg::OnCommand(int nId, int nCode)
{
    switch (nId) {
    case IDC_ABOUT_OK:
        if (nCode != BN_CLICKED)
            return false;
        EndDialog(IDC_ABOUT_OK);
        return true;
    case IDOK:      // Enter
    case IDCANCEL:  // Esc
        EndDialog(nId);
        return true;
    case IDC_ABOUT_STATS:
        if (nCode != BN_CLICKED)
            return false;
        GetSettingsKey().Value("AllowStats").WriteBool(CButton(GetDlgItem(IDC_ABOUT_STATS)).IsChecked());
        return true;
    default:
        return false;
    }
}
