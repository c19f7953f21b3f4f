#include "app/ContactStore.h"

namespace {

const WChar kValue[] = WSTR("Contacts");

} // namespace

std::vector<CContact> CContactStore::Load() const
{
    return ContactsFromList(m_list.Read(kValue));
}

uint32_t CContactStore::Save(const std::vector<CContact>& contacts)
{
    return m_list.Replace(kValue, ContactsToList(contacts));
}
