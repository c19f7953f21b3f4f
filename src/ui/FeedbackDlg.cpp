#include "ui/FeedbackDlg.h"

#include "base/Settings.h"
#include "online/SendReport.h"
#include "res/resource.h"

namespace {

// Every character may take a dozen bytes in the request's URL; these keep a
// report within what web servers accept in one request line.
const WPARAM kMaxFieldChars = 256;
const WPARAM kMaxFeedbackChars = 4000;

} // namespace

CFeedbackDlg::CFeedbackDlg() : CDialog(IDD_FEEDBACK) {}

bool CFeedbackDlg::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    if (m_skin.ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))
        return true;
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog();
        lResult = TRUE;
        return true;
    case WM_UPDATEUISTATE:  // keyboard cues never switch on
        lResult = 0;
        return true;
    case WM_COMMAND:
        lResult = 0;
        return OnCommand(LOWORD(wParam), HIWORD(wParam));
    default:
        return false;
    }
}

void CFeedbackDlg::OnInitDialog()
{
    CenterWindow(GetParent());
    SetWindowText(WSTR("Send Feedback"));  // no caption shows it; it names the window for the system
    m_btnSend.Attach(GetDlgItem(IDC_FEEDBACK_SEND));
    m_btnCancel.Attach(GetDlgItem(IDC_FEEDBACK_CANCEL));
    m_edEmail.Attach(GetDlgItem(IDC_FEEDBACK_EMAIL));
    m_edFeedback.Attach(GetDlgItem(IDC_FEEDBACK_TEXT));
    m_edModel.Attach(GetDlgItem(IDC_FEEDBACK_MODEL));
    m_edEmail.SendMessage(EM_LIMITTEXT, kMaxFieldChars);
    m_edModel.SendMessage(EM_LIMITTEXT, kMaxFieldChars);
    m_edFeedback.SendMessage(EM_LIMITTEXT, kMaxFeedbackChars);
    m_edModel.SetWindowText(GetSettingsKey().Value("Model").ReadString());
}

bool CFeedbackDlg::OnCommand(int nId, int nCode)
{
    switch (nId) {
    case IDC_FEEDBACK_SEND:
        if (nCode != BN_CLICKED)
            return false;
        OnSend();
        return true;
    case IDC_FEEDBACK_CANCEL:
        if (nCode != BN_CLICKED)
            return false;
        EndDialog(IDC_FEEDBACK_CANCEL);
        return true;
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

// Nothing is checked: empty fields go as empty values, and the model typed
// here is for this report only.
void CFeedbackDlg::OnSend()
{
    GetReportSender().QueueReport(m_edEmail.GetWindowText(), m_edModel.GetWindowText(), m_edFeedback.GetWindowText());
    MessageBox(WSTR("Thank you for your input!"), L"Zandu SMS", MB_ICONINFORMATION | MB_OK);
    EndDialog(IDC_FEEDBACK_SEND);
}

// Enter in the e-mail or model field moves on to the next field: closing the
// dialog there would throw away what the user typed.
void CFeedbackDlg::OnEnter()
{
    const HWND hFocus = ::GetFocus();
    if (hFocus == m_edEmail || hFocus == m_edModel)
        ::SetFocus(GetNextDlgTabItem(m_hWnd, hFocus, FALSE));
}
