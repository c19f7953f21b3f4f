#include "ui/AboutDlg.h"

#include <algorithm>

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "base/Util.h"
#include "res/resource.h"
#include "win/Controls.h"
#include "win/Dpi.h"

namespace {

const int kCreditsMargin = 16;  // the least room between the credits and the box's sides (at 96 DPI)

constexpr CControlItem kControls[] = {
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
    CButton(GetDlgItem(IDC_ABOUT_STATS)).SetCheck(CAppSettings().Read(EFlag::ALLOW_STATS));
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
    RECT rcText = {0, 0, cxBox - 2 * ScaleToDpi(kCreditsMargin, GetWindowDpi(m_hWnd)), 0};
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

bool CAboutDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_ABOUT_OK:
        EndDialog(IDC_ABOUT_OK);
        return true;
    case IDC_ABOUT_STATS:
        CAppSettings().Write(EFlag::ALLOW_STATS, CButton(GetDlgItem(IDC_ABOUT_STATS)).IsChecked());
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
