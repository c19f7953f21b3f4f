// One phone-book entry, the phone-book list as the settings store it, and
// the look-up of a name typed as a recipient.
#pragma once

#include <vector>

#include "base/Text.h"

class CContact {
public:
    CContact() {}
    CContact(const WString& strName, const WString& strNumber) : m_strName(strName), m_strNumber(strNumber) {}

    // "Name (number)", as the contact list shows it (FormatDisplayName).
    WString GetDisplayName() const;

    WString m_strName;    // as the phone gave it
    WString m_strNumber;  // as the phone gave it
};

// The list value "Contacts" holds name, number, name, number, ...; a last
// name without its number is ignored.
std::vector<CContact> ContactsFromList(const std::vector<WString>& aList);
// The list value for the contacts. A contact without a name is stored under
// its number: an empty element cannot be stored (it would end the value and
// drop every pair after it), and a name must stay paired with its number.
std::vector<WString> ContactsToList(const std::vector<CContact>& contacts);

// The first contact whose name equals strName code unit by code unit, with
// only the letters 'A' to 'Z' folded to 'a' to 'z' ('É' and 'é' differ).
// Null when there is none.
const CContact* FindContact(const std::vector<CContact>& contacts, const WString& strName);
