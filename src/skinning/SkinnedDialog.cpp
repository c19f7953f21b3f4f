#include "skinning/SkinnedDialog.h"

// PLACEHOLDER until the shaped, translucent drawing lands.
bool CSkinnedDialog::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
