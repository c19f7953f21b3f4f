#include "skinning/SkinnedRadioButton.h"

// PLACEHOLDER until the skinned drawing lands: the control draws as the system draws it.
bool CSkinnedRadioButton::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
