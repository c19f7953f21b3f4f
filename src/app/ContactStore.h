// The contact list as the settings keep it, for the window and the console
// tool alike. "Contacts" holds the name and number pairs that earlier
// versions read and write; what they cannot express lives in values of its
// own, found by name and number, so a phone book that an earlier version
// stored again simply leaves them without a contact to apply to:
//   "ContactGroups"  name, number, groups (separated by ';'), each element
//                    after a space, for the contacts in any group;
//   "OwnContacts"    name, number, each after a space, for the contacts
//                    added or edited in the program.
// Without both every contact came from the phone, as before.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ListStore.h"
#include "app/Contact.h"

class CContactStore {
public:
    // The most contacts the list keeps: an import beyond it is refused.
    static constexpr size_t kMaxContacts = 10000;

    explicit CContactStore(CListKey& key) : m_list(key) {}

    // None when the value is absent or damaged.
    std::vector<CContact> Load() const;
    // Replaces the stored contacts, each value in one write; an empty value
    // is removed. "Contacts" is written last, so a failure before it leaves
    // the list as it was (the other values only ever name contacts).
    uint32_t Save(const std::vector<CContact>& contacts);

private:
    CListStore m_list;
};

// A downloaded phone book merged into the contacts: the phone's entries
// replace those that came from the phone before; the user's own contacts
// stay, first, and a phone entry of an own contact's name or number is left
// out (the user's edit wins). Without own contacts: the phone book itself.
std::vector<CContact> MergePhonebook(const std::vector<CContact>& contacts, const std::vector<CContact>& phonebook);
