#include "ui/PinDlg.h"

#include <algorithm>

#include "res/resource.h"

namespace {

constexpr CControlItem kControls[] = {
    {IDC_PIN_PROMPT, EControlKind::Static},  {IDC_PIN_EDIT, EControlKind::Edit},
    {IDC_PIN_WARNING, EControlKind::Static}, {IDC_PIN_REFUSED, EControlKind::Static},
    {IDC_PIN_OK, EControlKind::Button},      {IDC_PIN_CANCEL, EControlKind::Button},
};

const WPARAM kMaxPinChars = 8;

} // namespace

CPinDlg::CPinDlg(bool bRefused) : CSkinnedDlg(IDD_PIN, SkinBitmapIndex::SBI_PIN, kControls), m_bRefused(bRefused) {}

CPinDlg::~CPinDlg()
{
    std::fill(m_strPin.begin(), m_strPin.end(), '\0');
}

void CPinDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    SetWindowText(WSTR("SIM PIN"));
    GetDlgItem(IDC_PIN_EDIT).SendMessage(EM_LIMITTEXT, kMaxPinChars);
    GetDlgItem(IDC_PIN_REFUSED).SetWindowText(m_bRefused ? WSTR("The phone refused the PIN") : WString());
    GetDlgItem(IDC_PIN_EDIT).SetFocus();
}

bool CPinDlg::OnClicked(int nId)
{
    if (nId == IDC_PIN_OK) {
        OnOk();
        return true;
    }
    if (nId == IDC_PIN_CANCEL) {
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}

// Enter and Esc.
bool CPinDlg::OnCommand(int nId, int)
{
    if (nId == IDOK) {
        OnOk();
        return true;
    }
    if (nId == IDCANCEL) {
        EndDialog(IDCANCEL);
        return true;
    }
    return false;
}

// A PIN is 4 to 8 digits; anything else never reaches the phone.
void CPinDlg::OnOk()
{
    WString strTyped = GetDlgItem(IDC_PIN_EDIT).GetWindowText();
    const bool bDigits = std::all_of(strTyped.begin(), strTyped.end(), [](WChar ch) { return ch >= '0' && ch <= '9'; });
    if (!bDigits || strTyped.size() < 4 || strTyped.size() > 8) {
        std::fill(strTyped.begin(), strTyped.end(), WChar(0));
        const CWindow note = GetDlgItem(IDC_PIN_REFUSED);
        note.SetWindowText(WSTR("The PIN is 4 to 8 digits"));
        note.Invalidate();
        return;
    }
    m_strPin.assign(strTyped.begin(), strTyped.end());
    std::fill(strTyped.begin(), strTyped.end(), WChar(0));
    GetDlgItem(IDC_PIN_EDIT).SetWindowText(WString());
    EndDialog(IDOK);
}
