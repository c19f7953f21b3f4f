#include "app/SendInput.h"

#include <algorithm>
#include <cstdint>

#include "sms/Msg.h"
#include "sms/Pdu.h"
#include "sms/ReportMatch.h"
#include "app/Recipients.h"

bool CheckNumber(const WString& strNumber, std::string& strError)
{
    if (IsValidNumber(strNumber))
        return true;
    strError = "cannot send to '" + WideToUtf8(strNumber) +
               "': a number is 1 to 20 digits, optionally after a '+', with spaces, '-', '.', '(' and ')' "
               "allowed between them";
    return false;
}

namespace {

// The position, in characters from 1 (a surrogate pair is one), of the first
// NUL in the text; 0 when there is none.
size_t FindNul(const WString& strText)
{
    size_t nPosition = 0;
    uint16_t wPrevious = 0;
    for (WChar ch : strText) {
        const uint16_t wUnit = static_cast<uint16_t>(ch);
        const bool bSecondHalf = wUnit >= 0xDC00 && wUnit <= 0xDFFF && wPrevious >= 0xD800 && wPrevious <= 0xDBFF;
        wPrevious = bSecondHalf ? 0 : wUnit;
        if (bSecondHalf)
            continue;  // of the character counted before
        ++nPosition;
        if (wUnit == 0)
            return nPosition;
    }
    return 0;
}

} // namespace

bool CheckText(const WString& strText, std::string& strError)
{
    // A NUL would end the text where the phone is concerned: sending the part
    // before it would drop the rest without a word.
    if (const size_t nNul = FindNul(strText)) {
        strError = "the text holds a NUL character at position " + std::to_string(nNul);
        return false;
    }
    const unsigned nParts = CountTextParts(strText);
    if (nParts <= kMaxParts)
        return true;
    strError = "the text needs " + std::to_string(nParts) + " SMS; at most " + std::to_string(kMaxParts) +
               " can be sent as one message";
    return false;
}

WString AsSentence(const std::string& strText)
{
    WString str = Utf8ToWide(strText);
    if (!str.empty() && str[0] >= L'a' && str[0] <= L'z')
        str[0] = static_cast<wchar_t>(str[0] - L'a' + L'A');
    return str;
}

bool NamesContacts(const WString& strField)
{
    for (const WString& strToken : SplitRecipients(strField)) {
        if (!IsNumberToken(strToken))
            return true;
    }
    return false;
}

namespace {

// Each number once, the first form kept.
void MergeSameNumbers(std::vector<CContact>& recipients, CResolveNotes* pNotes)
{
    std::vector<CContact> unique;
    for (const CContact& recipient : recipients) {
        const bool bSeen = std::any_of(unique.begin(), unique.end(), [&](const CContact& before) {
            return IsSameNumber(before.m_strNumber, recipient.m_strNumber);
        });
        if (!bSeen)
            unique.push_back(recipient);
        else if (pNotes)
            ++pNotes->nMerged;
    }
    recipients.swap(unique);
}

bool CheckNumbers(const std::vector<CContact>& recipients, size_t nFrom, std::string& strError)
{
    for (size_t i = nFrom; i < recipients.size(); ++i) {
        if (!CheckNumber(recipients[i].m_strNumber, strError))
            return false;
    }
    return true;
}

} // namespace

WString DescribeResolveNotes(const CResolveNotes& notes)
{
    WString strNote;
    if (notes.nMerged)
        strNote = Utf8ToWide(std::to_string(notes.nMerged)) +
                  (notes.nMerged == 1 ? WSTR(" recipient with the same number as another merged")
                                      : WSTR(" recipients with the same number as others merged"));
    for (const WString& strBoth : notes.aBoth)
        strNote += (strNote.empty() ? WString() : WString(WSTR("; "))) + WSTR("'") + strBoth +
                   WSTR("' is a contact and a group: the contact is sent to");
    return strNote;
}

bool ResolveRecipients(const WString& strField, const std::vector<CContact>& contacts,
                       std::vector<CContact>& recipients, std::string& strError, CResolveNotes* pNotes)
{
    recipients.clear();
    const std::vector<WString> tokens = SplitRecipients(strField);
    if (tokens.empty()) {
        strError = "Please enter the recipients' numbers";
        return false;
    }
    for (const WString& strToken : tokens) {
        const size_t nFrom = recipients.size();
        if (IsNumberToken(strToken)) {
            recipients.emplace_back(WString(), strToken);
        } else if (const CContact* pContact = FindContact(contacts, strToken)) {
            recipients.push_back(*pContact);
            if (pNotes && !GroupMembers(contacts, strToken).empty())
                pNotes->aBoth.push_back(strToken);
        } else {
            const std::vector<CContact> members = GroupMembers(contacts, strToken);
            if (members.empty()) {
                strError = "The name '" + WideToUtf8(strToken) + "' doesn't exist in your phone book.";
                return false;
            }
            recipients.insert(recipients.end(), members.begin(), members.end());
        }
        if (!CheckNumbers(recipients, nFrom, strError))
            return false;
    }
    MergeSameNumbers(recipients, pNotes);
    return true;
}

bool ResolveGroup(const WString& strGroup, const std::vector<CContact>& contacts, std::vector<CContact>& recipients,
                  std::string& strError, CResolveNotes* pNotes)
{
    recipients = GroupMembers(contacts, strGroup);
    if (recipients.empty()) {
        strError = "The group '" + WideToUtf8(strGroup) + "' has no members.";
        return false;
    }
    if (!CheckNumbers(recipients, 0, strError))
        return false;
    MergeSameNumbers(recipients, pNotes);
    return true;
}
