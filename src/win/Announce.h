// Tells screen readers what a window has just started to show (a status, a
// count): a UI Automation notification where the system has one (Windows 10
// version 1709 and later), the name-change event of accessibility otherwise.
#pragma once

#include <windows.h>

#include "base/Text.h"

void Announce(HWND hWnd, const WString& strText);
