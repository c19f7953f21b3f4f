// Contacts in vCard 2.1, 3.0 and 4.0, as address books export them.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"
#include "app/Contact.h"
#include "app/ContactRow.h"

// Whether the text begins (after blanks and line breaks) with BEGIN:VCARD.
bool LooksLikeVcard(const WString& strText);

// The rows of the cards between BEGIN:VCARD and END:VCARD: folded lines
// unfolded, QUOTED-PRINTABLE values (with their soft line breaks) decoded in
// their CHARSET (UTF-8, ISO-8859-1, Windows-1252 or US-ASCII), escapes
// undone. The name is FN, else N's given, middle and family names; the
// groups are CATEGORIES. A card with several TEL lines gives one row per
// number: the preferred one (PREF, else a mobile, else the first) under the
// name, each other under "Name (home)" (its type, or its place). A card
// without a number, without END:VCARD or with a NUL or an unknown charset is
// refused with the line it begins on.
std::vector<CContactRow> ReadContactsVcard(const WString& strText, const FnReadProgress& fnProgress = FnReadProgress());

// vCard 3.0, UTF-8, CR LF, lines folded at 75 bytes: FN, N, TEL and
// CATEGORIES of each contact.
std::string FormatContactsVcard(const std::vector<CContact>& contacts);
