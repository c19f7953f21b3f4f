// The recipients field: numbers and phone-book names separated by semicolons.
#pragma once

#include <vector>

#include "base/Text.h"

// The tokens of the field, in order. Every "; " becomes ";" until none is
// left (blanks after a semicolon go, blanks before one and at the start
// stay), the text is cut at each ";" and empty tokens are skipped.
std::vector<WString> SplitRecipients(const WString& strText);

// A token that begins with a digit or '+' is a number, as typed; any other
// token (one that begins with a blank too) is a phone-book name.
bool IsNumberToken(const WString& strToken);
