#include "skinning/SkinnedEdit.h"

// PLACEHOLDER until the skinned drawing lands: the control draws as the system draws it.
bool CSkinnedEdit::Attach(HWND hWnd)
{
    return CSkinnedControl::Attach(hWnd);
}

bool CSkinnedEdit::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
