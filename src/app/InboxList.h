// What the Inbox window lists: the messages of the inbox file, newest first,
// each sender as its phone-book name when the phone book knows the number.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"
#include "sms/Inbox.h"
#include "app/Contact.h"

class CInboxList {
public:
    // Reads the file; a file that cannot be read leaves the list empty, with
    // the reason in GetLoadError (a damaged one is put aside by LoadInbox).
    void Load(const WString& strPath);

    size_t GetCount() const { return m_messages.size(); }
    const CReceivedMsg& GetMessage(size_t nRow) const { return m_messages[nRow]; }
    const std::string& GetLoadError() const { return m_strLoadError; }

    // The name of the contact with the sender's number (in any of its forms,
    // IsSameNumber), or the sender as it came.
    static WString GetSenderName(const WString& strSender, const std::vector<CContact>& contacts);
    // "Anna (+4917012345)", or the sender alone.
    static WString GetSenderText(const WString& strSender, const std::vector<CContact>& contacts);
    // "2024-05-17 14:03:09+02:00"; empty for a message without a time stamp.
    static WString GetTimeText(const CSmsTime& time);

private:
    std::vector<CReceivedMsg> m_messages;  // newest first
    std::string m_strLoadError;
};
