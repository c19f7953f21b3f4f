#include "app/ContactImport.h"

#include <algorithm>
#include <map>

#include "app/ContactCsv.h"
#include "app/ContactStore.h"
#include "app/ContactVcard.h"
#include "app/SendInput.h"

namespace {

// The key of a name as FindContact compares names.
WString NameKey(const WString& strName)
{
    WString strKey = strName;
    for (WChar& ch : strKey)
        ch = ch >= 'A' && ch <= 'Z' ? static_cast<WChar>(ch - 'A' + 'a') : ch;
    return strKey;
}

bool DecodeUtf16(const std::string& strBytes, bool bBigEndian, WString& strText, std::string& strError)
{
    if (strBytes.size() % 2) {
        strError = "the file begins as UTF-16 text but ends in half a character";
        return false;
    }
    strText.clear();
    for (size_t i = 2; i + 1 < strBytes.size(); i += 2) {
        const unsigned nFirst = static_cast<unsigned char>(strBytes[i]);
        const unsigned nSecond = static_cast<unsigned char>(strBytes[i + 1]);
        strText += static_cast<WChar>(bBigEndian ? nFirst << 8 | nSecond : nSecond << 8 | nFirst);
    }
    return true;
}

std::string LineText(size_t nLine, const std::string& strWhat)
{
    return "line " + std::to_string(nLine) + ": " + strWhat;
}

bool HasControl(const WString& str)
{
    return std::any_of(str.begin(), str.end(), [](WChar ch) { return ch < 0x20 || ch == 0x7F; });
}

bool AddGroups(CContact& contact, const std::vector<WString>& aGroups)
{
    bool bAdded = false;
    for (const WString& strGroup : aGroups) {
        if (!contact.IsInGroup(strGroup)) {
            contact.m_aGroups.push_back(strGroup);
            bAdded = true;
        }
    }
    return bAdded;
}

} // namespace

bool DecodeImportText(const std::string& strBytes, WString& strText, std::string& strError)
{
    if (strBytes.size() > kMaxImportBytes) {
        strError = "the file is larger than " + std::to_string(kMaxImportBytes / (1024 * 1024)) +
                   " MB: no contact list is; is it the right file?";
        return false;
    }
    if (strBytes.compare(0, 2, "\xFF\xFE") == 0)
        return DecodeUtf16(strBytes, false, strText, strError);
    if (strBytes.compare(0, 2, "\xFE\xFF") == 0)
        return DecodeUtf16(strBytes, true, strText, strError);
    const bool bBom = strBytes.compare(0, 3, kUtf8Bom) == 0;
    const std::string strUtf8 = bBom ? strBytes.substr(3) : strBytes;
    if (!IsValidUtf8(strUtf8)) {
        strError = "the file is not UTF-8 or UTF-16 text: save it as UTF-8 (or as a vCard) and import that";
        return false;
    }
    strText = Utf8ToWide(strUtf8);
    return true;
}

bool ReadContactFile(const std::string& strBytes, std::vector<CContactRow>& rows, std::string& strError)
{
    WString strText;
    if (!DecodeImportText(strBytes, strText, strError))
        return false;
    const bool bVcard = LooksLikeVcard(strText);
    rows = bVcard ? ReadContactsVcard(strText) : ReadContactsCsv(strText);
    if (!rows.empty())
        return true;
    strError = bVcard ? "the file holds no vCard" : "the file holds no contact";
    return false;
}

bool CheckContact(const CContact& contact, std::string& strError)
{
    if (contact.m_strName.empty()) {
        strError = "a contact needs a name";
        return false;
    }
    if (contact.m_strName.find(';') != WString::npos) {
        strError = "the name '" + WideToUtf8(contact.m_strName) + "' holds ';', which separates recipients";
        return false;
    }
    if (HasControl(contact.m_strName)) {
        strError = "the name holds a line break or another control character";
        return false;
    }
    if (contact.m_strNumber.empty()) {
        strError = "no number";
        return false;
    }
    if (!CheckNumber(contact.m_strNumber, strError))
        return false;
    for (const WString& strGroup : contact.m_aGroups) {
        if (!CheckGroupName(strGroup, strError))
            return false;
    }
    return true;
}

CImportPlan PlanImport(const std::vector<CContact>& contacts, const std::vector<CContactRow>& rows)
{
    CImportPlan plan;
    plan.contacts = contacts;
    std::map<WString, size_t> byName;  // the first contact of each name, as FindContact finds it
    for (size_t i = 0; i < contacts.size(); ++i)
        byName.emplace(NameKey(contacts[i].m_strName), i);
    std::map<WString, size_t> lineOfName;
    auto refuse = [&plan](size_t nLine, const std::string& strWhy) {
        ++plan.nRefused;
        plan.aRefusals.push_back(LineText(nLine, strWhy));
    };
    for (const CContactRow& row : rows) {
        ++plan.nRows;
        CContact contact(TrimBlanks(row.strName), TrimBlanks(row.strNumber));
        contact.m_aGroups = row.aGroups;
        contact.m_bOwn = true;
        if (contact.m_strName.empty())
            contact.m_strName = contact.m_strNumber;
        std::string strError = row.strError;
        if (!strError.empty() || !CheckContact(contact, strError)) {
            refuse(row.nLine, strError);
            continue;
        }
        const WString strKey = NameKey(contact.m_strName);
        const auto earlier = lineOfName.find(strKey);
        if (earlier != lineOfName.end()) {
            refuse(row.nLine, "the same name as line " + std::to_string(earlier->second));
            continue;
        }
        const auto existing = byName.find(strKey);
        if (existing == byName.end() && plan.contacts.size() >= CContactStore::kMaxContacts) {
            refuse(row.nLine, "more than " + std::to_string(CContactStore::kMaxContacts) + " contacts");
            continue;
        }
        lineOfName.emplace(strKey, row.nLine);
        if (existing == byName.end()) {
            byName.emplace(strKey, plan.contacts.size());
            plan.contacts.push_back(contact);
            ++plan.nNew;
            continue;
        }
        CContact& old = plan.contacts[existing->second];
        const bool bNumber = old.m_strNumber != contact.m_strNumber;
        const bool bGroups = AddGroups(old, contact.m_aGroups);
        old.m_strNumber = contact.m_strNumber;
        old.m_bOwn = old.m_bOwn || bNumber || bGroups;
        ++(bNumber || bGroups ? plan.nUpdated : plan.nUnchanged);
    }
    return plan;
}

std::string DescribeImport(const CImportPlan& plan)
{
    std::string str = std::to_string(plan.nRows) + (plan.nRows == 1 ? " contact: " : " contacts: ") +
                      std::to_string(plan.nNew) + " new, " + std::to_string(plan.nUpdated) + " updated, ";
    if (plan.nUnchanged)
        str += std::to_string(plan.nUnchanged) + " unchanged, ";
    return str + std::to_string(plan.nRefused) + " refused";
}

std::string FormatContactsFile(const std::vector<CContact>& contacts, const WString& strGroup, bool bVcard)
{
    std::vector<CContact> chosen;
    for (const CContact& contact : contacts) {
        if (strGroup.empty() || contact.IsInGroup(strGroup))
            chosen.push_back(contact);
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const CContact& a, const CContact& b) { return IsListedBefore(a.m_strName, b.m_strName); });
    return bVcard ? FormatContactsVcard(chosen) : FormatContactsCsv(chosen);
}
