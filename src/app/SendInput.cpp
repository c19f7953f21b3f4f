#include "app/SendInput.h"

#include <cstdint>

#include "sms/Msg.h"
#include "sms/Pdu.h"
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

bool NamesContacts(const WString& strField)
{
    for (const WString& strToken : SplitRecipients(strField)) {
        if (!IsNumberToken(strToken))
            return true;
    }
    return false;
}

bool ResolveRecipients(const WString& strField, const std::vector<CContact>& contacts,
                       std::vector<CContact>& recipients, std::string& strError)
{
    recipients.clear();
    const std::vector<WString> tokens = SplitRecipients(strField);
    if (tokens.empty()) {
        strError = "Please enter the recipients' numbers";
        return false;
    }
    for (const WString& strToken : tokens) {
        if (IsNumberToken(strToken)) {
            recipients.emplace_back(WString(), strToken);
        } else if (const CContact* pContact = FindContact(contacts, strToken)) {
            recipients.push_back(*pContact);
        } else {
            strError = "The name '" + WideToUtf8(strToken) + "' doesn't exist in your phone book.";
            return false;
        }
        if (!CheckNumber(recipients.back().m_strNumber, strError))
            return false;
    }
    return true;
}
