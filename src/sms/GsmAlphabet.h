// The GSM 7-bit default alphabet (3GPP TS 23.038) and its extension table.
#pragma once

#include <string>

#include "base/Text.h"

// A septet string: one GSM default-alphabet value (0x00-0x7F) per byte,
// length-counted, so '@' (0x00) is an ordinary septet and never a terminator.
typedef std::string SeptetString;

const char kGsmEscape = 0x1B;

// Whether TextToGsm carries every character of the text (read up to its first
// NUL): sending the grave accent as the apostrophe counts as carrying;
// dropping a character does not, and neither does turning a control character
// other than CR and LF into '?' (a TAB is as much typed text as a letter). A
// text that does not fit is sent in UCS-2 instead, which carries everything.
bool FitsGsmAlphabet(const WString& strText);

// Converts UTF-16 text, read up to its first NUL, to septets. An extension
// character becomes the escape septet and its code; a control character other
// than CR and LF becomes '?'; anything else outside the alphabet is dropped.
SeptetString TextToGsm(const WString& strText);

// The reverse, for received messages: septets (values above 0x7F are read
// without their high bit) to UTF-16, through the same tables. After the
// escape septet comes a character of the extension table, 0x0A being the
// page break (a form feed); an escape followed by a code the table lacks
// reads as the main table's character for that code, and a second escape or
// an escape at the end reads as a space, as receiving phones show them.
WString GsmToText(const SeptetString& strSeptets);
