#include "ui/AboutDlg.h"

#include <algorithm>

#include "base/Settings.h"
#include "base/Util.h"
#include "res/resource.h"
#include "win/Controls.h"

namespace {

const int kCreditsMargin = 16;  // the least room between the credits and the box's sides

} // namespace

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
    FitCredits();
}

// The credits as wide as their longest line in the skin's font, centred: at
// the template's width a larger font breaks a sentence anywhere and may leave
// its last word alone on a line. Only text wider than the box still wraps.
void CAboutDlg::FitCredits() const
{
    const CWindow credits = GetDlgItem(IDC_ABOUT_CREDITS);
    const WString strText = credits.GetWindowText();
    const LONG cxBox = GetClientRect().right;
    RECT rcText = {0, 0, cxBox - 2 * kCreditsMargin, 0};
    {
        const CWindowDC dc(credits.m_hWnd);
        const CSelectObject font(dc, credits.GetFont());
        DrawTextW(dc, strText.c_str(), static_cast<int>(strText.size()), &rcText,
                  DT_CALCRECT | DT_WORDBREAK | DT_CENTER | DT_NOPREFIX);
    }
    const RECT rc = credits.GetRectIn(m_hWnd);
    const LONG cyText = std::max(rcText.bottom, rc.bottom - rc.top);
    credits.SetWindowPos(nullptr, (cxBox - rcText.right) / 2, rc.top, rcText.right, cyText,
                         SWP_NOZORDER | SWP_NOACTIVATE);
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
