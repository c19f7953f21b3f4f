// The request URL of a feedback or usage report.
#pragma once

#include <cstddef>

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

// "msg=" msg "&email=" email "&model=" model "&version=" version, the first
// three encoded, the version (digits and dots) as it is. It holds no space.
WString MakeReportQuery(const WString& strEmail, const WString& strModel, const WString& strMsg,
                        const WString& strVersion);
// strEndpoint "?" strQuery.
WString MakeReportUrl(const WString& strEndpoint, const WString& strQuery);

// The request line that asks for strUrl, "GET <path and query> HTTP/1.1",
// in bytes (without its line break).
size_t GetRequestLineSize(const WString& strUrl);

// Web servers commonly refuse request lines of more than 8 KB (8,190 bytes
// is a usual limit); a report's line stays within this.
const size_t kMaxReportRequestLine = 8000;

// How many characters, taken off the end of the message (then of the model,
// then of the e-mail address, should the message alone not do), bring the
// report's request line within kMaxReportRequestLine bytes; 0 when it is
// within already. A surrogate pair is one character.
size_t CountCharsOverRequestLine(const WString& strEndpoint, const WString& strEmail, const WString& strModel,
                                 const WString& strMsg, const WString& strVersion);
