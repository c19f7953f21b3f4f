// One contact, the contact list as the settings store it, and the look-up
// of a name or a group typed as a recipient.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"

class CContact {
public:
    CContact() {}
    CContact(const WString& strName, const WString& strNumber) : m_strName(strName), m_strNumber(strNumber) {}

    // The most groups a contact is in: an import or a Save beyond it is
    // refused, so no file makes a contact of a million groups.
    static constexpr size_t kMaxGroups = 1000;

    // "Name (number)", as the contact list shows it (FormatDisplayName).
    WString GetDisplayName() const;
    // Whether the contact is in the group, its name compared as FindContact does.
    bool IsInGroup(const WString& strGroup) const;

    WString m_strName;    // as the phone gave it or the user typed it
    WString m_strNumber;  // as the phone gave it or the user typed it
    std::vector<WString> m_aGroups;  // each once, in the order given
    // Added or edited in the program: a phone-book download leaves it alone.
    // False for what the phone gave, which the next download replaces.
    bool m_bOwn = false;
};

// The list value "Contacts" holds name, number, name, number, ...; a last
// name without its number is ignored. Groups and origins are not in it
// (earlier versions read it as it is): see CContactStore.
std::vector<CContact> ContactsFromList(const std::vector<WString>& aList);
// The list value for the contacts. A contact without a name is stored under
// its number: an empty element cannot be stored (it would end the value and
// drop every pair after it), and a name must stay paired with its number.
std::vector<WString> ContactsToList(const std::vector<CContact>& contacts);

// The first contact whose name equals strName code unit by code unit, with
// only the letters 'A' to 'Z' folded to 'a' to 'z' ('É' and 'é' differ).
// Null when there is none.
const CContact* FindContact(const std::vector<CContact>& contacts, const WString& strName);
// Whether two names are the same name as FindContact compares them.
bool IsSameName(const WString& strA, const WString& strB);
// The name with 'A' to 'Z' folded: equal keys for the same name, to look
// names up in a set or a map.
WString NameKey(const WString& strName);

// Group names: not empty, no ';' or ',' (they separate recipients and
// groups), no blank at either end, and not named like a number (a token
// that begins with a digit or '+' is sent to as a number). Else false with
// the reason.
bool CheckGroupName(const WString& strGroup, std::string& strError);
// The groups of a text as the user types them: cut at ';' and ',', blanks
// around each dropped, empty ones and repeats skipped; the first nMax of
// them (the rest of the text is not read).
std::vector<WString> SplitGroups(const WString& strText, size_t nMax = CContact::kMaxGroups + 1);
// "Team; Family".
WString JoinGroups(const std::vector<WString>& aGroups);
// Every group of the contacts once, sorted as the Contacts window lists names.
std::vector<WString> ListGroups(const std::vector<CContact>& contacts);
// The members of a group in the order of their names (as listed).
std::vector<CContact> GroupMembers(const std::vector<CContact>& contacts, const WString& strGroup);
// The order the contacts are listed in: names with case and accents folded
// (FoldForSearch), then as they are.
bool IsListedBefore(const WString& strA, const WString& strB);
