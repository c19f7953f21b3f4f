// Parsers of what a phone sends back (3GPP TS 27.007 / 27.005 replies).
// They take untrusted bytes: every input has a defined outcome, none crashes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/Text.h"

// Final result codes that end the reply to a command.
enum class EFinalResult {
    FINAL_NONE,   // an information line, not the end of the reply
    FINAL_OK,     // "OK"
    FINAL_ERROR,  // "ERROR", "COMMAND NOT SUPPORT", "+CME ERROR: <n>", "+CMS ERROR: <n>"
};
EFinalResult GetFinalResult(const std::string& strLine);

// A line that what a cancelled message left behind (its part's late answer,
// which the purge after the open may have missed) gives before the answer to
// "AT" or "ATE0": its acknowledgement ("+CMGS: <mr>", "+CMGW: <index>") and the
// "OK" right after it in the same read (bAfterAck carries that from line to
// line), or its refusal: "+CMS ERROR: <n>", which never answers "AT" or
// "ATE0", and ERROR or "+CME ERROR: <n>" when more follows (bMore), since
// alone they may be the answer.
bool IsLeftoverAnswer(const std::string& strLine, bool bMore, bool& bAfterAck);

// Collects the bursts of one reply and hands out its complete lines, so a
// line cut by a read boundary (inside a quoted name, inside a UTF-8 sequence,
// between CR and LF) is seen whole. CR, LF or both end a line; lines are
// trimmed and empty ones dropped; zero bytes (line noise) are dropped.
class CReplyLines {
public:
    explicit CReplyLines(size_t nMaxLine) : m_nMaxLine(nMaxLine) {}

    void Clear() { m_strTail.clear(); }

    // Appends the complete lines of strBurst to lines. A final "OK" or
    // "ERROR" that ends the burst without a line break counts as a line: the
    // phone pauses after its final code. False when an unfinished line grows
    // beyond the bound (a phone that babbles without line breaks).
    bool Feed(const std::string& strBurst, std::vector<std::string>& lines);
    // The phone's prompt for a PDU, "> " at the start of a line, which no
    // line break follows: true (and it is taken) when the unfinished line is it.
    bool TakePrompt();
    bool HasTail() const { return !m_strTail.empty(); }

private:
    size_t m_nMaxLine;
    std::string m_strTail;  // the unfinished line
};

// "+CPBR: (1-250),40,14", also "+CPBR: (1-250)", "+CPBR: (1)" and forms with
// blanks. False unless the line is such a reply with nFirst <= nLast.
bool ParsePhonebookRange(const std::string& strLine, unsigned& nFirst, unsigned& nLast);

struct CPhonebookEntry {
    unsigned nIndex = 0;
    WString strName;
    WString strNumber;
};

// +CPBR: <index>,"<number>",<type>,"<text>"[,<more fields>]. The text is
// UTF-8 and may hold quotes and commas, raw or escaped as \22 and \5C (any
// backslash and two hex digits stand for that byte; a control character
// decoded so becomes a space). A type of 145 (international) puts
// '+' in front of a number that lacks it. Unquoted number and text fields are
// taken up to the next comma. False when the line is no such entry.
bool ParsePhonebookEntry(const std::string& strLine, CPhonebookEntry& entry);

// The phone's answer to "AT+CGMI" from the lines before its final code: the
// lines joined by one space, without a "+CGMI:" prefix.
std::string GetModelText(const std::vector<std::string>& lines);
