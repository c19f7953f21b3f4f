#include "app/ContactStore.h"

#include <algorithm>
#include <functional>
#include <map>
#include <utility>

#include "base/ErrorCodes.h"
#include "sms/ReportMatch.h"

namespace {

const WChar kValue[] = WSTR("Contacts");
const WChar kGroupsValue[] = WSTR("ContactGroups");
const WChar kOwnValue[] = WSTR("OwnContacts");

// The name a contact is stored under in "Contacts".
WString StoredName(const CContact& contact)
{
    return contact.m_strName.empty() ? contact.m_strNumber : contact.m_strName;
}

// Elements after their leading space.
WString Unspaced(const WString& str)
{
    return str.empty() ? str : str.substr(1);
}

// A value beside "Contacts" that is not there and stays empty is not
// touched: a user who never edits gets the very writes of before.
uint32_t ReplaceBeside(CListStore& list, const WChar* pszValue, const std::vector<WString>& aList)
{
    if (aList.empty() && list.Read(pszValue).empty())
        return kErrorSuccess;
    return list.Replace(pszValue, aList);
}

} // namespace

std::vector<CContact> CContactStore::Load() const
{
    std::vector<CContact> contacts = ContactsFromList(m_list.Read(kValue));
    std::multimap<std::pair<WString, WString>, size_t> byKey;  // a list of thousands is read at every change
    for (size_t i = 0; i < contacts.size(); ++i)
        byKey.emplace(std::make_pair(contacts[i].m_strName, contacts[i].m_strNumber), i);
    auto forEach = [&](const WString& strName, const WString& strNumber, const std::function<void(CContact&)>& fn) {
        const auto range = byKey.equal_range(std::make_pair(Unspaced(strName), Unspaced(strNumber)));
        for (auto it = range.first; it != range.second; ++it)
            fn(contacts[it->second]);
    };
    const std::vector<WString> aGroups = m_list.Read(kGroupsValue);
    for (size_t i = 0; i + 2 < aGroups.size(); i += 3)
        forEach(aGroups[i], aGroups[i + 1], [&](CContact& c) { c.m_aGroups = SplitGroups(Unspaced(aGroups[i + 2])); });
    const std::vector<WString> aOwn = m_list.Read(kOwnValue);
    for (size_t i = 0; i + 1 < aOwn.size(); i += 2)
        forEach(aOwn[i], aOwn[i + 1], [](CContact& c) { c.m_bOwn = true; });
    return contacts;
}

uint32_t CContactStore::Save(const std::vector<CContact>& contacts)
{
    std::vector<WString> aGroups, aOwn;
    for (const CContact& contact : contacts) {
        if (contact.m_strNumber.empty())
            continue;  // not stored, as in ContactsToList
        const WString strName = WSTR(" ") + StoredName(contact), strNumber = WSTR(" ") + contact.m_strNumber;
        if (!contact.m_aGroups.empty()) {
            WString strJoined;
            for (const WString& strGroup : contact.m_aGroups)
                strJoined += (strJoined.empty() ? WString() : WString(WSTR(";"))) + strGroup;
            aGroups.insert(aGroups.end(), {strName, strNumber, WSTR(" ") + strJoined});
        }
        if (contact.m_bOwn)
            aOwn.insert(aOwn.end(), {strName, strNumber});
    }
    uint32_t dwError = ReplaceBeside(m_list, kGroupsValue, aGroups);
    if (dwError == kErrorSuccess)
        dwError = ReplaceBeside(m_list, kOwnValue, aOwn);
    if (dwError == kErrorSuccess)
        dwError = m_list.Replace(kValue, ContactsToList(contacts));
    return dwError;
}

std::vector<CContact> MergePhonebook(const std::vector<CContact>& contacts, const std::vector<CContact>& phonebook)
{
    std::vector<CContact> merged;
    for (const CContact& contact : contacts) {
        if (contact.m_bOwn)
            merged.push_back(contact);
    }
    const size_t nOwn = merged.size();
    for (const CContact& entry : phonebook) {
        const bool bEdited = std::any_of(merged.begin(), merged.begin() + static_cast<std::ptrdiff_t>(nOwn),
                                         [&](const CContact& own) {
                                             return IsSameName(own.m_strName, entry.m_strName) ||
                                                    IsSameNumber(own.m_strNumber, entry.m_strNumber);
                                         });
        if (bEdited)
            continue;
        CContact fromPhone(entry.m_strName, entry.m_strNumber);
        merged.push_back(fromPhone);
    }
    return merged;
}
