#include "app/Contact.h"

#include "sms/Msg.h"

namespace {

WChar FoldAscii(WChar ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<WChar>(ch - 'A' + 'a') : ch;
}

bool EqualFoldingAscii(const WString& str1, const WString& str2)
{
    if (str1.size() != str2.size())
        return false;
    for (size_t i = 0; i < str1.size(); ++i) {
        if (FoldAscii(str1[i]) != FoldAscii(str2[i]))
            return false;
    }
    return true;
}

} // namespace

WString CContact::GetDisplayName() const
{
    return FormatDisplayName(m_strName, m_strNumber);
}

std::vector<CContact> ContactsFromList(const std::vector<WString>& aList)
{
    std::vector<CContact> contacts;
    for (size_t i = 0; i + 1 < aList.size(); i += 2)
        contacts.emplace_back(aList[i], aList[i + 1]);
    return contacts;
}

std::vector<WString> ContactsToList(const std::vector<CContact>& contacts)
{
    std::vector<WString> aList;
    for (const CContact& contact : contacts) {
        if (contact.m_strNumber.empty())
            continue;  // nothing to send to
        aList.push_back(contact.m_strName.empty() ? contact.m_strNumber : contact.m_strName);
        aList.push_back(contact.m_strNumber);
    }
    return aList;
}

const CContact* FindContact(const std::vector<CContact>& contacts, const WString& strName)
{
    for (const CContact& contact : contacts) {
        if (EqualFoldingAscii(contact.m_strName, strName))
            return &contact;
    }
    return nullptr;
}
