// The inbox file (inbox.json in the program's data folder): the received
// messages, so they stay after they are deleted from the phone.
#pragma once

#include <string>

#include "base/Text.h"
#include "sms/Inbox.h"

const int kInboxFileVersion = 1;

// The file's text: UTF-8 JSON, {"format": "Zandu SMS inbox", "version": 1,
// "messages": [...]}, every message with its sender, time, encoding, joined
// text and its parts (part number, key, time, text; the PDU of one that
// could not be decoded).
std::string FormatInbox(const CInbox& inbox);
// One message as the file holds it, on one line (the console's JSON lines).
std::string FormatInboxMessage(const CReceivedMsg& msg);
// The reverse. False, with the inbox untouched and the reason, for a text
// that is not such a file whole: no message is dropped without a word.
bool ParseInbox(const std::string& strJson, CInbox& inbox, std::string& strError);

enum class EInboxLoad {
    INBOX_LOADED,   // read, or there is no file yet: an empty inbox
    INBOX_DAMAGED,  // not an inbox file: renamed to strKeptAs and reported; the inbox starts empty
    INBOX_FAILED,   // it cannot be read or kept: writing it now would lose it, so do not
};
struct CInboxLoad {
    EInboxLoad result = EInboxLoad::INBOX_LOADED;
    std::string strReport;  // what went wrong, for the user
    WString strKeptAs;
};
CInboxLoad LoadInbox(const WString& strPath, CInbox& inbox);

// Written to a temporary file and put in place in one step, so a crash
// never leaves a truncated inbox. False with the reason when it failed: the
// messages are then not stored, and must not be deleted from the phone.
bool SaveInbox(const WString& strPath, const CInbox& inbox, std::string& strError);
