// The inbox file (inbox.json in the program's data folder): the received
// messages, so they stay after they are deleted from the phone.
#pragma once

#include <functional>
#include <string>

#include "base/Text.h"
#include "sms/Inbox.h"

const int kInboxFileVersion = 1;

// The file's text: UTF-8 JSON, {"format": "Zandu SMS inbox", "version": 1,
// "messages": [...]}, every message with its sender, time, encoding, joined
// text and its parts (part number, key, time, text; the PDU of one that
// could not be decoded), and "new" while the Inbox window has not shown it.
std::string FormatInbox(const CInbox& inbox);
// One message as the file holds it, on one line (the console's JSON lines),
// without "new", which is the Inbox window's.
std::string FormatInboxMessage(const CReceivedMsg& msg);
// The reverse. False, with the inbox untouched and the reason, for a text
// that is not such a file whole: no message is dropped without a word.
bool ParseInbox(const std::string& strJson, CInbox& inbox, std::string& strError);

enum class EInboxLoad {
    INBOX_LOADED,   // read, or there is no file yet: an empty inbox
    INBOX_DAMAGED,  // not an inbox file: renamed to strKeptAs and reported; the inbox starts empty
    INBOX_FAILED,   // it cannot be read or kept: writing it now would lose it, so do not
    INBOX_NEWER,    // written by a newer version: left as it is, the inbox starts empty, and nothing may write it
};
struct CInboxLoad {
    EInboxLoad result = EInboxLoad::INBOX_LOADED;
    std::string strReport;  // what went wrong, for the user: what is wrong, never the file's bytes
    WString strKeptAs;
};
enum class EDamagedInbox {
    PUT_ASIDE,  // renamed, and the inbox starts empty
    LEAVE,      // for a reader that changes no file: left where it is (INBOX_FAILED)
};
CInboxLoad LoadInbox(const WString& strPath, CInbox& inbox, EDamagedInbox eDamaged = EDamagedInbox::PUT_ASIDE);

// Written to a temporary file and put in place in one step, so a crash
// never leaves a truncated inbox. False with the reason when it failed: the
// messages are then not stored, and must not be deleted from the phone.
bool SaveInbox(const WString& strPath, const CInbox& inbox, std::string& strError);

// One change of the file, by one writer at a time of all the program's
// processes: it is read, handed to fnChange and written back when fnChange
// says it changed it, all while the lock "inbox" (CNamedLock) is held, so
// that two writers at once (the window and the console tool) both keep what
// they stored. Nothing is written when the lock (5 s at most) or the file
// cannot be had, or the file is of a newer version: fnChange is not called
// then, and strError says why.
struct CInboxChange {
    bool bStored = false;   // the file holds the change, or nothing needed writing
    std::string strError;
    std::string strNote;    // a damaged file put aside on the way, for the user
};
typedef std::function<bool(CInbox& inbox)> FnInboxChange;
// inbox: the inbox as the file now holds it (empty when it could not be read).
CInboxChange ChangeInbox(const WString& strPath, const FnInboxChange& fnChange, CInbox& inbox);
