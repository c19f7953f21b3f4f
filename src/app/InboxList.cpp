#include "app/InboxList.h"

#include <algorithm>

#include "sms/InboxFile.h"
#include "sms/ReportMatch.h"
#include "app/Recipients.h"
#include "app/SendInput.h"

// Read under the lock, as a change: a damaged file is put aside by one
// process only.
void CInboxList::Load(const WString& strPath, bool bReadOnly)
{
    CInbox inbox;
    if (bReadOnly) {
        m_strLoadError = LoadInbox(strPath, inbox, EDamagedInbox::LEAVE).strReport;
    } else {
        const CInboxChange change = ChangeInbox(strPath, [](CInbox&) { return false; }, inbox);
        m_strLoadError = change.strError.empty() ? change.strNote : change.strError;
    }
    m_messages = inbox.GetMessages();
    m_nNew = 0;
    m_shownKeys.clear();
    for (const CReceivedMsg& msg : m_messages) {
        if (!msg.bNew)
            continue;
        ++m_nNew;
        for (const CReceivedPart& part : msg.parts)
            m_shownKeys.insert(part.strKey);
    }
    // Messages without a time stamp last; among equal times, the one stored last first.
    std::reverse(m_messages.begin(), m_messages.end());
    std::stable_sort(m_messages.begin(), m_messages.end(), [](const CReceivedMsg& a, const CReceivedMsg& b) {
        return a.time.ToUnixTime() > b.time.ToUnixTime();
    });
}

bool CInboxList::MarkShown(const WString& strPath, std::string& strError)
{
    return MarkSeen(strPath, m_shownKeys, strError);
}

bool CInboxList::MarkSeen(const WString& strPath, const std::set<std::string>& keys, std::string& strError)
{
    if (keys.empty())
        return true;
    CInbox inbox;
    const CInboxChange change =
        ChangeInbox(strPath, [&keys](CInbox& stored) { return stored.MarkSeen(keys); }, inbox);
    strError = change.strError;
    return change.bStored;
}

WString CInboxList::GetSenderName(const WString& strSender, const std::vector<CContact>& contacts)
{
    if (!CanReplyTo(strSender))
        return strSender;  // a name the sender chose, whatever digits it holds
    for (const CContact& contact : contacts) {
        if (!contact.m_strName.empty() && IsSameNumber(contact.m_strNumber, strSender))
            return contact.m_strName;
    }
    return strSender;
}

namespace {

WString MarkAlphanumeric(const WString& strSender)
{
    return WSTR("\"") + strSender + WSTR("\" (alphanumeric sender)");
}

} // namespace

WString CInboxList::GetSenderText(const WString& strSender, const std::vector<CContact>& contacts)
{
    if (!CanReplyTo(strSender))
        return MarkAlphanumeric(strSender);
    const WString strName = GetSenderName(strSender, contacts);
    return strName == strSender ? strSender : strName + WSTR(" (") + strSender + WSTR(")");
}

bool CInboxList::CanReplyTo(const WString& strSender)
{
    std::string strError;
    return IsNumberToken(strSender) && CheckNumber(strSender, strError);
}

WString CInboxList::GetTimeText(const CSmsTime& time)
{
    std::string str = time.Format();
    if (str.size() > 10 && str[10] == 'T')
        str[10] = ' ';
    return AnsiToWide(str);
}

WString CInboxList::GetSenderCell(const CReceivedMsg& msg, const std::vector<CContact>& contacts)
{
    const WString strName =
        CanReplyTo(msg.strSender) ? GetSenderName(msg.strSender, contacts) : MarkAlphanumeric(msg.strSender);
    return msg.bNew ? WSTR("[new] ") + strName : strName;
}
