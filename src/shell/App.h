// The program's life between process entry and exit: open the settings, load
// the skin, create the main window, run the message loop, tear down.
//
// Errors here: a start-up failure is a message box with the caption "Error"
// and exit code 0; nothing else reaches the user from this layer.
#pragma once

#include <windows.h>

#include "base/Settings.h"
#include "base/Text.h"

// Start-up as the process entry calls it. The exit code is 0 after a start-up
// failure (each has its own message box) or the close button, 2 after Esc or
// a close request from the system.
int Run(LPWSTR pszCommandLine, int nCmdShow);

// The same with the settings' location and the skin folder given, for tests.
int RunWith(const CSettingsLocation& location, const WString& strSkinFolder, int nCmdShow);
