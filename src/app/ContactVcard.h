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
// unfolded, QUOTED-PRINTABLE values (with their soft line breaks) decoded,
// each value of FN, N, TEL and CATEGORIES in its CHARSET (CodePageOfCharset;
// without one UTF-8, or Windows-1252 where the bytes are not UTF-8), escapes
// undone. bBytes: the text is a file of neither UTF-8 nor UTF-16, a
// character per byte. The name is FN, else N's given, middle and family
// names; the groups are CATEGORIES (a comma, escaped or not, between two).
// A card's numbers become rows as AddNumberRows makes them. A card without
// a number, without END:VCARD or with a NUL or a charset not supported is
// refused with the line it begins on.
CContactFile ReadContactsVcard(const WString& strText, bool bBytes = false,
                               const FnReadProgress& fnProgress = FnReadProgress());

// vCard 3.0, UTF-8, CR LF, lines folded at 75 bytes: FN, N, TEL and
// CATEGORIES of each contact.
std::string FormatContactsVcard(const std::vector<CContact>& contacts);
