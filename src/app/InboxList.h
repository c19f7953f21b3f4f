// What the Inbox window lists: the messages of the inbox file, newest first,
// each sender as its phone-book name when the phone book knows the number,
// and which of them are new: stored since the window last showed them.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/Text.h"
#include "sms/Inbox.h"
#include "app/Contact.h"

class CInboxList {
public:
    // Reads the file under its lock; a file that cannot be read leaves the
    // list empty, with the reason in GetLoadError (a damaged one is put aside
    // by LoadInbox, a newer version's left alone). bReadOnly: for a reader
    // that changes no file (an export), which leaves a damaged one as it is.
    void Load(const WString& strPath, bool bReadOnly = false);
    // The new messages loaded are new no longer: the file says so from now on.
    // False with the reason when it could not be written.
    bool MarkShown(const WString& strPath, std::string& strError);
    // The messages these parts belong to are new no longer (a conversation
    // opened); false with the reason when the file could not be written.
    static bool MarkSeen(const WString& strPath, const std::set<std::string>& keys, std::string& strError);

    size_t GetCount() const { return m_messages.size(); }
    size_t GetNewCount() const { return m_nNew; }
    const CReceivedMsg& GetMessage(size_t nRow) const { return m_messages[nRow]; }
    const std::string& GetLoadError() const { return m_strLoadError; }

    // The name of the contact with the sender's number (in any of its forms,
    // IsSameNumber), or the sender as it came (always for a sender that is
    // no number).
    static WString GetSenderName(const WString& strSender, const std::vector<CContact>& contacts);
    // "Anna (+4917012345)", or the sender alone; a sender that is no number
    // as GetSenderCell marks it.
    static WString GetSenderText(const WString& strSender, const std::vector<CContact>& contacts);
    // "2024-05-17 14:03:09+02:00"; empty for a message without a time stamp.
    static WString GetTimeText(const CSmsTime& time);
    // The list's cell of the sender: a new message's marked "[new] Anna". A
    // sender that is no number is marked too, '"Anna" (alphanumeric
    // sender)', so that it cannot pass for the contact Anna.
    static WString GetSenderCell(const CReceivedMsg& msg, const std::vector<CContact>& contacts);
    // Whether a reply can go to the sender: a number that can be sent to.
    // An alphanumeric sender ("Team", "Anna") typed into the recipients box
    // would be a contact's or a group's name there, not the sender.
    static bool CanReplyTo(const WString& strSender);

private:
    std::vector<CReceivedMsg> m_messages;  // newest first
    size_t m_nNew = 0;
    std::set<std::string> m_shownKeys;     // the parts of the new messages loaded
    std::string m_strLoadError;
};
