// What the update check's reply says: the newest version and its changes,
// compared with the version of the running program.
#pragma once

#include <cstdint>

#include "base/Text.h"

// A version text "major.minor.third" as one number that compares as the
// versions do: major in the high 32 bits, minor in bits 16-31, third in bits
// 0-15. Only digits and dots; each of the three numbers has at least one
// digit; anything after a third dot is ignored (1.2.3.4 is 1.2.3). False, and
// 0, for any other text and for numbers too large for their bits, which
// would otherwise spill into their neighbours (1.0.65536 is not 1.1.0).
bool ParseVersion(const WString& strText, uint64_t& ullVersion);

struct CUpdateReply {
    bool bUpdateAvailable = false;
    WString strChanges;  // without white space at either end; empty without an update
};

// The reply is "CHANGES " (exactly, case and space included), the newest
// version, a line break (CR or LF; one character is skipped) and the list of
// changes. An update is available when that version is greater than the
// running one; any reply that does not follow the format, or an unreadable
// version on either side, means no update.
CUpdateReply ReadUpdateReply(const WString& strBody, const WString& strRunningVersion);
