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
    WString strChanges;  // BoundChanges of the list; empty without an update
};

// What the notice shows of the changes. The reply may be 64 KB of anything:
// enough to push the notice's buttons (Yes the default) off the screen, or
// text that moves or hides what is shown. So control characters other than
// line breaks (C0, DEL, C1) are removed, white space at either end too, and
// at most kMaxChangesLines lines and kMaxChangesChars characters are kept (a
// line break is one character, a character beyond U+FFFF one), the rest cut
// and marked with "..." at the end.
const size_t kMaxChangesLines = 20;
const size_t kMaxChangesChars = 2000;
WString BoundChanges(const WString& strChanges);

// The reply is "CHANGES " (exactly, case and space included), the newest
// version, a line break (CR or LF; one character is skipped) and the list of
// changes. An update is available when that version is greater than the
// running one; any reply that does not follow the format, or an unreadable
// version on either side, means no update.
CUpdateReply ReadUpdateReply(const WString& strBody, const WString& strRunningVersion);
