// Text in the code pages address books and phones write (Shift_JIS,
// Windows-1251, ISO-8859-2, ...), named as vCard and MIME name them.
#pragma once

#include <string>

#include "base/Text.h"

// The Windows code page a charset name stands for, case, '-', '_' and blanks
// aside ("Shift_JIS" 932, "windows-1252" 1252, "ISO-8859-1" 28591); 0 when
// the name is not one of those known here.
unsigned CodePageOfCharset(const WString& strCharset);

// Bytes of a code page as UTF-16. UTF-8, US-ASCII, ISO-8859-1, -15 and
// Windows-1252 convert in every build; the others where the platform
// converts them (Windows), false elsewhere. A byte sequence the code page
// does not hold becomes what the platform makes of it (U+FFFD or '?').
bool CodePageToWide(unsigned nCodePage, const std::string& strBytes, WString& strText);
