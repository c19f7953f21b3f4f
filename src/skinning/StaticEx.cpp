#include "skinning/StaticEx.h"

// PLACEHOLDER until the skinned drawing lands: the control draws as the system draws it.
bool CStaticEx::ProcessWindowMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
