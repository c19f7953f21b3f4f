// The recipients field and the text on arbitrary input, as the window and
// the console tool check them before anything is sent. The tokens are the
// field less its semicolons and the blanks after them; a field resolved
// gives per token its number, its contact (names looked up with only A-Z
// folded) or its group's members, each number once and each a number the
// PDU can carry; a refused one says why.
//
// Input: UTF-16LE units; 0xFFFF separates the field, the text, and then
// name, number and groups (separated by ';') of each contact.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "sms/Pdu.h"
#include "sms/ReportMatch.h"
#include "app/Contact.h"
#include "app/Recipients.h"
#include "app/SendInput.h"

namespace {

WString FoldAz(WString str)
{
    for (WChar& ch : str)
        ch = (ch >= 'A' && ch <= 'Z') ? static_cast<WChar>(ch - 'A' + 'a') : ch;
    return str;
}

void FuzzSplit(const WString& strField, const std::vector<WString>& tokens)
{
    WString strJoined, strExpected;
    for (size_t i = 0; i < tokens.size(); ++i) {
        Check(!tokens[i].empty() && tokens[i].find(';') == WString::npos);
        Check(i == 0 || tokens[i][0] != ' ');
        strJoined += tokens[i];
    }
    for (size_t i = 0; i < strField.size(); ++i) {
        if (strField[i] == ';') {
            while (i + 1 < strField.size() && strField[i + 1] == ' ')
                ++i;
        } else {
            strExpected += strField[i];
        }
    }
    Check(strJoined == strExpected);
}

void FuzzResolve(const WString& strField, const std::vector<WString>& tokens, const std::vector<CContact>& contacts)
{
    std::vector<CContact> recipients;
    std::string strError;
    CResolveNotes notes;
    if (!ResolveRecipients(strField, contacts, recipients, strError, &notes)) {
        Check(!strError.empty());
        return;
    }
    Check(!tokens.empty() && !recipients.empty());
    Check(NamesContacts(strField) == [&] {
        for (const WString& strToken : tokens)
            if (!IsNumberToken(strToken))
                return true;
        return false;
    }());
    // Per token: the number, the first contact of that name (A-Z folded), or
    // the group's members; then each number once, the first form kept.
    std::vector<CContact> expected;
    for (const WString& strToken : tokens) {
        if (IsNumberToken(strToken)) {
            expected.emplace_back(WString(), strToken);
            continue;
        }
        const CContact* pFirst = nullptr;
        for (const CContact& contact : contacts) {
            if (FoldAz(contact.m_strName) == FoldAz(strToken)) {
                pFirst = &contact;
                break;
            }
        }
        if (pFirst) {
            expected.push_back(*pFirst);
            continue;
        }
        const std::vector<CContact> members = GroupMembers(contacts, strToken);
        Check(!members.empty());
        for (const CContact& member : members)
            Check(member.IsInGroup(strToken));
        expected.insert(expected.end(), members.begin(), members.end());
    }
    // Against those kept: two numbers may each match a third and not each other.
    size_t nKept = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        bool bSeen = false;
        for (size_t j = 0; j < nKept && !bSeen; ++j)
            bSeen = IsSameNumber(recipients[j].m_strNumber, expected[i].m_strNumber);
        if (bSeen)
            continue;
        Check(nKept < recipients.size() && recipients[nKept].m_strName == expected[i].m_strName &&
              recipients[nKept].m_strNumber == expected[i].m_strNumber);
        Check(IsValidNumber(recipients[nKept].m_strNumber));
        ++nKept;
    }
    Check(nKept == recipients.size() && notes.nMerged == expected.size() - nKept);
}

void FuzzText(const WString& strText)
{
    std::string strError;
    const bool bText = CheckText(strText, strError);
    Check(bText == strError.empty());
    const bool bNul = strText.find(WChar(0)) != WString::npos;
    Check(!bText || !bNul);
    if (bNul)
        Check(strError.compare(0, 38, "the text holds a NUL character at posi") == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFuzzInput in(data, size);
    const WString strField = in.Units(0xFFFF);
    const WString strText = in.Units(0xFFFF);
    std::vector<CContact> contacts;
    while (!in.Empty() && contacts.size() < 64) {
        const WString strName = in.Units(0xFFFF);
        const WString strNumber = in.Units(0xFFFF);
        contacts.emplace_back(strName, strNumber);
        contacts.back().m_aGroups = SplitGroups(in.Units(0xFFFF));
    }
    const std::vector<WString> tokens = SplitRecipients(strField);
    FuzzSplit(strField, tokens);
    FuzzResolve(strField, tokens, contacts);
    FuzzText(strText);
    return 0;
}
