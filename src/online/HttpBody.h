// The text of an HTTP response body.
#pragma once

#include <string>

#include "base/Text.h"

// The whole body converted at once: as UTF-8 when the bytes are valid UTF-8,
// otherwise from the ANSI code page. Zero bytes are characters like any other.
WString DecodeHttpBody(const std::string& strBytes);
