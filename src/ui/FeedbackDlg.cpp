#include "ui/FeedbackDlg.h"

#include <string>

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
    m_edFeedback.SendMessage(EM_LIMITTEXT, kNoLimit);
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

// Empty fields go as empty values, and the model typed here is for this
// report only. A report whose request line servers would refuse is not
// sent: the user shortens it, nothing typed is lost.
void CFeedbackDlg::OnSend()
{
    const WString strEmail = m_edEmail.GetWindowText();
    const WString strModel = m_edModel.GetWindowText();
    const WString strMsg = m_edFeedback.GetWindowText();
    const size_t nOver =
        CountCharsOverRequestLine(GetServerUrl(kReportPath), strEmail, strModel, strMsg, GetVersionText());
    if (nOver > 0) {
        const std::string strText =
            "Your message is too long to send; please shorten it by " + std::to_string(nOver) + " characters";
        MessageBox(Utf8ToWide(strText), L"Zandu SMS", MB_ICONWARNING | MB_OK);
        ::SetFocus(m_edFeedback);
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
    if (hFocus == m_edEmail || hFocus == m_edModel)
        ::SetFocus(GetNextDlgTabItem(m_hWnd, hFocus, FALSE));
}
