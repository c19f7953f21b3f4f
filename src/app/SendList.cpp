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

void GoOnFrom(const CSendRecord& before, const WString& strText, std::vector<CSendRecipient>& list)
{
    if (strText != before.strText)
        return;
    for (CSendRecipient& recipient : list) {
        for (const CSendRecipient& left : before.recipients) {
            if (left.IsLeft() && left.strTyped == recipient.strTyped &&
                left.contact.m_strNumber == recipient.contact.m_strNumber) {
                recipient.nRef = left.nRef;
                recipient.partRefs = left.partRefs;
            }
        }
    }
}

std::vector<CSendRecipient> AsTyped(const std::vector<CContact>& contacts)
{
    std::vector<CSendRecipient> list;
    for (const CContact& contact : contacts) {
        CSendRecipient recipient;
        recipient.strTyped = contact.m_strName.empty() ? contact.m_strNumber : contact.m_strName;
        recipient.contact = contact;
        list.push_back(recipient);
    }
    return list;
}
