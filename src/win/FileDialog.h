// The system's dialogs that ask for a file to open or to save.
#pragma once

#include <windows.h>

#include "base/Text.h"

// pszFilter: pairs of a description and its patterns, each ending in a NUL,
// the whole ending in a second NUL ("CSV (*.csv)\0*.csv\0\0"). False when
// the user cancelled (or the dialog could not be shown).
bool AskFileToOpen(HWND hOwner, const wchar_t* pszTitle, const wchar_t* pszFilter, WString& strPath);
// strPath comes with the name to offer and goes back with the one chosen;
// pszDefaultExt is added to a name typed without one, and nFilter (from 1)
// is the filter chosen.
bool AskFileToSave(HWND hOwner, const wchar_t* pszTitle, const wchar_t* pszFilter, const wchar_t* pszDefaultExt,
                   WString& strPath, DWORD& nFilter);
