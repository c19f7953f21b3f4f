#include "ui/SendInput.h"

#include "sms/Msg.h"
#include "sms/Pdu.h"
#include "ui/Recipients.h"

bool CheckNumber(const WString& strNumber, std::string& strError)
{
    if (IsValidNumber(strNumber))
        return true;
    strError = "cannot send to '" + WideToUtf8(strNumber) +
               "': a number is 1 to 20 digits, optionally after a '+', with spaces, '-', '.', '(' and ')' "
               "allowed between them";
    return false;
}

bool CheckText(const WString& strText, std::string& strError)
{
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
