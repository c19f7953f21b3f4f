#include "ui/FeedbackDlg.h"

#include <string>

#include "base/AppSettings.h"
#include "base/Settings.h"
#include "base/Util.h"
#include "online/ReportUrl.h"
#include "online/SendReport.h"
#include "online/ServerUrl.h"
#include "res/resource.h"

namespace {

// An e-mail address has at most 254 characters. The feedback itself has no
// limit of its own, which would cut what is pasted without a word: what
// bounds a report is its encoded size, checked when it is sent.
const WPARAM kMaxFieldChars = 256;
const WPARAM kNoLimit = 0;

constexpr CControlItem kControls[] = {
    {IDC_FEEDBACK_SEND, EControlKind::Button},
    {IDC_FEEDBACK_CANCEL, EControlKind::Button},
    {IDC_FEEDBACK_EMAIL, EControlKind::Edit},
    {IDC_FEEDBACK_TEXT, EControlKind::Edit},
    {IDC_FEEDBACK_MODEL, EControlKind::Edit},
};

} // namespace

CFeedbackDlg::CFeedbackDlg() : CSkinnedDlg(IDD_FEEDBACK, SkinBitmapIndex::SBI_FEEDBACK, kControls) {}

void CFeedbackDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    SetWindowText(WSTR("Send Feedback"));  // no caption shows it; it names the window for the system
    GetDlgItem(IDC_FEEDBACK_EMAIL).SendMessage(EM_LIMITTEXT, kMaxFieldChars);
    GetDlgItem(IDC_FEEDBACK_MODEL).SendMessage(EM_LIMITTEXT, kMaxFieldChars);
    GetDlgItem(IDC_FEEDBACK_TEXT).SendMessage(EM_LIMITTEXT, kNoLimit);
    GetDlgItem(IDC_FEEDBACK_MODEL).SetWindowText(CAppSettings().Read(ETextSetting::MODEL));
}

bool CFeedbackDlg::OnClicked(int nId)
{
    switch (nId) {
    case IDC_FEEDBACK_SEND:
        OnSend();
        return true;
    case IDC_FEEDBACK_CANCEL:
        EndDialog(IDC_FEEDBACK_CANCEL);
        return true;
    default:
        return false;
    }
}

// Enter and Esc, with whatever notification.
bool CFeedbackDlg::OnCommand(int nId, int)
{
    switch (nId) {
    case IDOK:
        OnEnter();
        return true;
    case IDCANCEL:  // Esc: closed without sending, as the user asked
        EndDialog(IDCANCEL);
        return true;
    default:
        return false;
    }
}

// Empty fields go as empty values, and the model typed here is for this
// report only. A report whose request line servers would refuse is not
// sent: the user shortens it, nothing typed is lost.
void CFeedbackDlg::OnSend()
{
    const WString strEmail = GetDlgItem(IDC_FEEDBACK_EMAIL).GetWindowText();
    const WString strModel = GetDlgItem(IDC_FEEDBACK_MODEL).GetWindowText();
    const WString strMsg = GetDlgItem(IDC_FEEDBACK_TEXT).GetWindowText();
    const size_t nOver =
        CountCharsOverRequestLine(GetServerUrl(kReportPath), strEmail, strModel, strMsg, GetVersionText());
    if (nOver > 0) {
        const std::string strText =
            "Your message is too long to send; please shorten it by " + std::to_string(nOver) + " characters";
        MessageBox(Utf8ToWide(strText), L"Zandu SMS", MB_ICONWARNING | MB_OK);
        GetDlgItem(IDC_FEEDBACK_TEXT).SetFocus();
        return;
    }
    GetReportSender().QueueReport(strEmail, strModel, strMsg);
    MessageBox(WSTR("Thank you for your input!"), L"Zandu SMS", MB_ICONINFORMATION | MB_OK);
    EndDialog(IDC_FEEDBACK_SEND);
}

// Enter in the e-mail or model field moves on to the next field: closing the
// dialog there would throw away what the user typed.
void CFeedbackDlg::OnEnter()
{
    const HWND hFocus = ::GetFocus();
    if (hFocus == GetDlgItem(IDC_FEEDBACK_EMAIL) || hFocus == GetDlgItem(IDC_FEEDBACK_MODEL))
        ::SetFocus(GetNextDlgTabItem(m_hWnd, hFocus, FALSE));
}
