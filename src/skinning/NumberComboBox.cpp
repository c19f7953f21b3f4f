#include "skinning/NumberComboBox.h"

// PLACEHOLDER until the auto-completion lands.
bool CNumberComboBox::ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult)
{
    return CSkinnedComboBox::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult);
}

bool CNumberComboBox::CEdit::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
