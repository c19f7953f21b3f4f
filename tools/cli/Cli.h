// Shared pieces of the console tool: exit codes, option values, output.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/Text.h"
#include "common/Args.h"

// Exit codes, documented in the README; scripts rely on them.
enum {
    kExitOk = 0,       // the request succeeded
    kExitFailed = 1,   // the phone refused or answered unexpectedly
    kExitUsage = 2,    // bad command line
    kExitInput = 3,    // a recipient, text or option value that cannot be used
    kExitPort = 4,     // the port could not be opened or failed
    kExitTimeout = 5,  // no result within the time-out; the request was cancelled
    kExitSettings = 6, // the phone book or messages came (or a message went), but could not be stored
    kExitNotConfirmed = 7,  // a message went to the phone, which did not say whether it was sent
    kExitPartly = 8,        // some recipients got the message and others not (failed, or not reached)
};

// The message text from an argument, or from a UTF-8 file with --file
// (- is standard input); the content is taken as it is, line breaks included.
bool ReadText(const std::string& strPath, WString& strText, std::string& strError);

// The value of the whole-number option --NAME, which must lie in nMin..nMax.
// kExitOk with nValue set; otherwise, after the message, kExitUsage for a
// value that is no decimal number and kExitInput for a number out of the
// range, however large ("--timeout must be 1 to 86400").
int ParseNumberOption(const char* pszName, const std::string& strValue, uint32_t nMin, uint32_t nMax,
                      uint32_t& nValue);

// A line of UTF-8 as it may reach a terminal: every C0 control but the tab
// (the field separator) as \xNN; DEL, every C1 control (U+0080-U+009F) and
// the bidirectional and invisible format characters (U+061C, U+200E,
// U+200F, U+202A-U+202E, U+2066-U+2069) as \uNNNN. Texts from the phone or
// the inbox file (a message, a phone-book name, the maker's answer) could
// otherwise drive the terminal (move the cursor, set its title, answer back)
// or turn the rest of the line around, the number with it. The tool's own
// texts hold none of them; its JSON lines hold no C0 control (the JSON
// writer escapes them), and \uNNNN is JSON's own escape, so they stay JSON
// meaning the same.
std::string TerminalSafe(const std::string& strLine);
// A trace line (--trace) the same way, its line break kept: the trace shows
// the phone's bytes as they came.
std::string TerminalSafeTrace(const char* pszLine);

// Both write TerminalSafe(strLine) and a line break.
void PrintLine(const std::string& strLine);   // stdout, UTF-8
void PrintError(const std::string& strLine);  // stderr, prefixed with the tool's name
// The host build's answer to a command that needs the serial port or the
// settings: says so, and gives kExitUsage.
int NeedsWindows(const char* pszCommand);

int RunPdu(CArgs& args);
// Windows build only: the others say so and give kExitUsage.
int RunAt(CArgs& args);
int RunSend(CArgs& args);
int RunStore(CArgs& args);
int RunTestPort(CArgs& args);
int RunPhonebook(CArgs& args);
int RunInbox(CArgs& args);
int RunReports(CArgs& args);
int RunListen(CArgs& args);
// The stored contacts, history and inbox (Windows build only, as the settings).
int RunContacts(CArgs& args);
int RunHistory(CArgs& args);      // history export FILE
int RunInboxExport(CArgs& args);  // inbox export FILE: the arguments after "inbox"
// settings move-from-machine [--dry-run] (Windows build only).
int RunSettings(CArgs& args);
