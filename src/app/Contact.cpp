#include "app/Contact.h"

#include <algorithm>
#include <unordered_set>

#include "sms/Msg.h"
#include "app/Recipients.h"
#include "app/TextSearch.h"

namespace {

WChar FoldAscii(WChar ch)
{
    return ch >= 'A' && ch <= 'Z' ? static_cast<WChar>(ch - 'A' + 'a') : ch;
}

} // namespace

WString CContact::GetDisplayName() const
{
    return FormatDisplayName(m_strName, m_strNumber);
}

bool CContact::IsInGroup(const WString& strGroup) const
{
    return std::any_of(m_aGroups.begin(), m_aGroups.end(),
                       [&](const WString& strOwn) { return IsSameName(strOwn, strGroup); });
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

bool IsSameName(const WString& strA, const WString& strB)
{
    if (strA.size() != strB.size())
        return false;
    for (size_t i = 0; i < strA.size(); ++i) {
        if (FoldAscii(strA[i]) != FoldAscii(strB[i]))
            return false;
    }
    return true;
}

WString NameKey(const WString& strName)
{
    WString strKey = strName;
    for (WChar& ch : strKey)
        ch = FoldAscii(ch);
    return strKey;
}

const CContact* FindContact(const std::vector<CContact>& contacts, const WString& strName)
{
    for (const CContact& contact : contacts) {
        if (IsSameName(contact.m_strName, strName))
            return &contact;
    }
    return nullptr;
}

bool CheckGroupName(const WString& strGroup, std::string& strError)
{
    // Built only for a refusal: an import checks every group of every row.
    auto quoted = [&strGroup] { return "the group '" + WideToUtf8(strGroup) + "'"; };
    if (strGroup.empty())
        strError = "a group needs a name";
    else if (strGroup.find_first_of(WSTR(";,")) != WString::npos)
        strError = quoted() + " holds ';' or ',', which separate recipients and groups";
    else if (IsBlank(strGroup[0]) || IsBlank(strGroup.back()))
        strError = quoted() + " begins or ends with a blank";
    else if (IsNumberToken(strGroup))
        strError = quoted() + " is named like a number";
    else if (std::any_of(strGroup.begin(), strGroup.end(), [](WChar ch) { return ch < 0x20 || ch == 0x7F; }))
        strError = "a group name holds a line break or another control character";
    else if (strGroup.find(WSTR(":::")) != WString::npos)
        strError = quoted() + " holds ':::', which separates groups in address books' files";
    else
        return true;
    return false;
}

std::vector<WString> SplitGroups(const WString& strText, size_t nMax)
{
    std::vector<WString> aGroups;
    std::unordered_set<WString> seen;
    size_t nStart = 0;
    while (nStart <= strText.size() && aGroups.size() < nMax) {
        size_t nEnd = strText.find_first_of(WSTR(";,"), nStart);
        if (nEnd == WString::npos)
            nEnd = strText.size();
        const WString strGroup = TrimBlanks(strText.substr(nStart, nEnd - nStart));
        if (!strGroup.empty() && seen.insert(NameKey(strGroup)).second)
            aGroups.push_back(strGroup);
        nStart = nEnd + 1;
    }
    return aGroups;
}

WString JoinGroups(const std::vector<WString>& aGroups)
{
    WString str;
    for (const WString& strGroup : aGroups)
        str += (str.empty() ? WString() : WString(WSTR("; "))) + strGroup;
    return str;
}

bool IsListedBefore(const WString& strA, const WString& strB)
{
    const WString strFoldedA = FoldForSearch(strA), strFoldedB = FoldForSearch(strB);
    return strFoldedA != strFoldedB ? strFoldedA < strFoldedB : strA < strB;
}

std::vector<WString> ListGroups(const std::vector<CContact>& contacts)
{
    std::vector<WString> aGroups;
    std::unordered_set<WString> seen;
    for (const CContact& contact : contacts) {
        for (const WString& strGroup : contact.m_aGroups) {
            if (seen.insert(NameKey(strGroup)).second)
                aGroups.push_back(strGroup);
        }
    }
    std::sort(aGroups.begin(), aGroups.end(), IsListedBefore);
    return aGroups;
}

std::vector<CContact> GroupMembers(const std::vector<CContact>& contacts, const WString& strGroup)
{
    std::vector<CContact> members;
    for (const CContact& contact : contacts) {
        if (contact.IsInGroup(strGroup))
            members.push_back(contact);
    }
    std::stable_sort(members.begin(), members.end(),
                     [](const CContact& a, const CContact& b) { return IsListedBefore(a.m_strName, b.m_strName); });
    return members;
}
