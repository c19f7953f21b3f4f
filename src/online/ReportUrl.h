// The request URL of a feedback or usage report.
#pragma once

#include "base/Text.h"

// A text as a query value. Characters U+0000-U+00FF are single bytes: a space
// is '+', ASCII letters and digits stay, every other byte is "%XX" (upper-case
// hex). A character above U+00FF goes as its numeric character reference
// "&#<code point>;", itself percent-encoded as "%26%23<decimal>%3B", with a
// surrogate pair combined into one code point, as a browser submits a
// character outside a Latin-1 form; a lone surrogate goes as U+FFFD. So that
// the receiver never takes typed text for a reference, an '&' followed by '#'
// goes as the reference "&#38;".
WString UrlEncode(const WString& strText);

// strEndpoint "?msg=" msg "&email=" email "&model=" model "&version=" version,
// the first three encoded, the version (digits and dots) as it is.
WString MakeReportUrl(const WString& strEndpoint, const WString& strEmail, const WString& strModel,
                      const WString& strMsg, const WString& strVersion);
