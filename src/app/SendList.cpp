#include "app/SendList.h"

#include "app/Recipients.h"
#include "app/SendInput.h"
#include "sms/ReportMatch.h"

namespace {

// Appended unless the same phone as one kept before (counted in nMerged).
void Keep(const WString& strTyped, const CContact& contact, std::vector<CSendRecipient>& list, CResolveNotes& notes)
{
    for (const CSendRecipient& before : list) {
        if (IsSameNumber(before.contact.m_strNumber, contact.m_strNumber)) {
            ++notes.nMerged;
            return;
        }
    }
    CSendRecipient recipient;
    recipient.strTyped = strTyped;
    recipient.contact = contact;
    list.push_back(recipient);
}

} // namespace

bool ResolveSendList(const WString& strField, const std::vector<CContact>& contacts,
                     std::vector<CSendRecipient>& list, CResolveNotes& notes, std::string& strError)
{
    list.clear();
    notes = CResolveNotes();
    const std::vector<WString> tokens = SplitRecipients(strField);
    if (tokens.empty()) {
        std::vector<CContact> none;
        return ResolveRecipients(strField, contacts, none, strError);  // the window's message for it
    }
    for (const WString& strToken : tokens) {
        std::vector<CContact> resolved;
        if (!ResolveRecipients(strToken, contacts, resolved, strError, &notes))
            return false;
        // A group's members go back to the box by name, a single recipient as typed.
        for (const CContact& contact : resolved)
            Keep(resolved.size() == 1 ? strToken : contact.GetDisplayName(), contact, list, notes);
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

