#include "skinning/NumberComboBox.h"

#include "win/Reflect.h"

bool CNumberComboBox::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    switch (uMsg) {
    case WM_CTLCOLOREDIT:
        // The first one comes from the edit child: the moment to reach it.
        if (!m_wndEdit.IsWindow())
            m_wndEdit.Attach(reinterpret_cast<HWND>(lParam));
        break;
    case WM_COMMAND + kReflectBase:
        if (HIWORD(wParam) == CBN_EDITUPDATE) {
            OnEditUpdate();
            lResult = 0;
            return true;
        }
        break;
    default:
        break;
    }
    return CSkinnedComboBox::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
}

bool CNumberComboBox::CEdit::ProcessWindowMessage(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT&)
{
    if (uMsg == WM_KEYDOWN)
        m_bAutoComplete = CompletesAfterKey(static_cast<unsigned>(wParam));
    return false;
}

void CNumberComboBox::OnEditUpdate()
{
    const CEditSel sel = GetEditSel();
    if (m_bCompleting)
        return;
    const WString strTyped = GetWindowText();
    if (!ShouldComplete(m_bAutoComplete, strTyped.size()))
        return;
    m_bCompleting = true;
    const bool bMatched = SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(strTyped.c_str())) != CB_ERR;
    const CCompletionStep step = PlanCompletion(sel, strTyped.size(), bMatched);
    if (step.bPutTextBack)
        SetWindowText(strTyped);
    if (step.bRestoreSel)
        SetEditSel(sel);
    SetEditSel(step.sel);
    m_bCompleting = false;
}

CEditSel CNumberComboBox::GetEditSel() const
{
    const LRESULT nSel = SendMessage(CB_GETEDITSEL);
    if (nSel == CB_ERR)
        return CEditSel{-1, -1};
    return CEditSel{LOWORD(nSel), HIWORD(nSel)};
}

void CNumberComboBox::SetEditSel(CEditSel sel) const
{
    SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(sel.nStart, sel.nEnd));
}
