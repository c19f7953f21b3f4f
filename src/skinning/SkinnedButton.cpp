#include "skinning/SkinnedButton.h"

// PLACEHOLDER until the skinned drawing lands: the control draws as the system draws it.
bool CSkinnedButton::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
