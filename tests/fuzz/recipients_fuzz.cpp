// The recipients field and the text on arbitrary input, as the window and
// the console tool check them before anything is sent. The tokens are the
// field less its semicolons and the blanks after them; a field resolved
// gives one recipient per token, each with a number the PDU can carry,
// names looked up with only A-Z folded; a refused one says why.
//
// Input: UTF-16LE units; 0xFFFF separates the field, the text, and then
// name and number of each contact.
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "sms/Pdu.h"
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
    if (!ResolveRecipients(strField, contacts, recipients, strError)) {
        Check(!strError.empty());
        return;
    }
    Check(recipients.size() == tokens.size() && !tokens.empty());
    Check(NamesContacts(strField) == [&] {
        for (const WString& strToken : tokens)
            if (!IsNumberToken(strToken))
                return true;
        return false;
    }());
    for (size_t i = 0; i < tokens.size(); ++i) {
        Check(IsValidNumber(recipients[i].m_strNumber));
        if (IsNumberToken(tokens[i])) {
            Check(recipients[i].m_strName.empty() && recipients[i].m_strNumber == tokens[i]);
            continue;
        }
        // The first contact of that name, A-Z folded.
        const CContact* pFirst = nullptr;
        for (const CContact& contact : contacts) {
            if (FoldAz(contact.m_strName) == FoldAz(tokens[i])) {
                pFirst = &contact;
                break;
            }
        }
        Check(pFirst && recipients[i].m_strName == pFirst->m_strName && recipients[i].m_strNumber == pFirst->m_strNumber);
    }
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
        contacts.emplace_back(strName, in.Units(0xFFFF));
    }
    const std::vector<WString> tokens = SplitRecipients(strField);
    FuzzSplit(strField, tokens);
    FuzzResolve(strField, tokens, contacts);
    FuzzText(strText);
    return 0;
}
