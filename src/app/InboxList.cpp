#include "app/InboxList.h"

#include <algorithm>

#include "sms/InboxFile.h"
#include "sms/ReportMatch.h"

void CInboxList::Load(const WString& strPath)
{
    CInbox inbox;
    const CInboxLoad load = LoadInbox(strPath, inbox);
    m_strLoadError = load.result == EInboxLoad::INBOX_LOADED ? std::string() : load.strReport;
    m_messages = inbox.GetMessages();
    // Messages without a time stamp last; among equal times, the one stored last first.
    std::reverse(m_messages.begin(), m_messages.end());
    std::stable_sort(m_messages.begin(), m_messages.end(), [](const CReceivedMsg& a, const CReceivedMsg& b) {
        return a.time.ToUnixTime() > b.time.ToUnixTime();
    });
}

WString CInboxList::GetSenderName(const WString& strSender, const std::vector<CContact>& contacts)
{
    for (const CContact& contact : contacts) {
        if (!contact.m_strName.empty() && IsSameNumber(contact.m_strNumber, strSender))
            return contact.m_strName;
    }
    return strSender;
}

WString CInboxList::GetSenderText(const WString& strSender, const std::vector<CContact>& contacts)
{
    const WString strName = GetSenderName(strSender, contacts);
    return strName == strSender ? strSender : strName + WSTR(" (") + strSender + WSTR(")");
}

WString CInboxList::GetTimeText(const CSmsTime& time)
{
    std::string str = time.Format();
    if (str.size() > 10 && str[10] == 'T')
        str[10] = ' ';
    return AnsiToWide(str);
}
