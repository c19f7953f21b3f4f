#include "skinning/SkinnedComboBox.h"

// PLACEHOLDER until the skinned drawing lands: the control draws as the system draws it.
bool CSkinnedComboBox::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
