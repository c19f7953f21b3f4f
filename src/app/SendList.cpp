#include "app/SendList.h"

#include "app/Recipients.h"
#include "app/SendInput.h"
#include "sms/ReportMatch.h"

bool ResolveSendList(const WString& strField, const std::vector<CContact>& contacts,
                     std::vector<CSendRecipient>& list, size_t& nMerged, std::string& strError)
{
    list.clear();
    nMerged = 0;
    const std::vector<WString> tokens = SplitRecipients(strField);
    if (tokens.empty()) {
        std::vector<CContact> none;
        return ResolveRecipients(strField, contacts, none, strError);  // the window's message for it
    }
    for (const WString& strToken : tokens) {
        std::vector<CContact> resolved;
        if (!ResolveRecipients(strToken, contacts, resolved, strError))
            return false;
        for (const CContact& contact : resolved) {
            bool bSeen = false;
            for (const CSendRecipient& before : list)
                bSeen = bSeen || IsSameNumber(before.contact.m_strNumber, contact.m_strNumber);
            if (bSeen) {
                ++nMerged;
                continue;
            }
            CSendRecipient recipient;
            recipient.strTyped = resolved.size() == 1 ? strToken : contact.GetDisplayName();
            recipient.contact = contact;
            list.push_back(recipient);
        }
    }
    return true;
}

WString JoinTyped(const std::vector<CSendRecipient>& list)
{
    WString str;
    for (const CSendRecipient& recipient : list)
        str += (str.empty() ? WString() : WString(WSTR("; "))) + recipient.strTyped;
    return str;
}

void GoOnFrom(const CLeftOver& left, const WString& strText, std::vector<CSendRecipient>& list)
{
    if (strText != left.strText)
        return;
    for (CSendRecipient& recipient : list) {
        for (const CSendRecipient& before : left.recipients) {
            if (before.strTyped == recipient.strTyped && before.contact.m_strNumber == recipient.contact.m_strNumber) {
                recipient.nRef = before.nRef;
                recipient.nPartsDone = before.nPartsDone;
            }
        }
    }
}

