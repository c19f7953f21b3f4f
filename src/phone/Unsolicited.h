// Unsolicited result codes: what a phone reports on its own (a message or a
// status report received, a call, the network registration, a vendor's status
// line). They may come at any moment, also between a command and its answer,
// and are never the answer the driver awaits.
#pragma once

#include <string>
#include <vector>

// A complete line (trimmed) that is a known unsolicited result code.
bool IsUnsolicited(const std::string& strLine);

// Takes the unsolicited lines out of what the phone sends, line by line,
// and writes each one to the trace. A code that delivers a message in PDU
// mode ("+CMT:", "+CDS:", "+CBM:") is followed by a line of hex, which goes
// with it, also when it comes in the next burst.
class CUnsolicitedFilter {
public:
    void Reset()
    {
        m_bBodyPending = false;
        m_bReportPending = false;
    }

    // For replies taken line by line: false for a line to be ignored.
    bool KeepLine(const std::string& strLine);
    // The start of the answer the command just written asks for ("+CPIN:"
    // for "AT+CPIN?"), which is then no unsolicited code; empty for none.
    void SetAnswerPrefix(const std::string& strPrefix) { m_strAnswerPrefix = strPrefix; }

    // The "+CDS:" lines taken out since the last call, each followed by its
    // PDU line (a code whose PDU line is still to come waits for it): status
    // reports the phone passed on.
    std::vector<std::string> TakeReportLines();
    // The "+CMTI:" and "+CDSI:" lines taken out since the last call: what
    // the phone stored and announces.
    std::vector<std::string> TakeAnnouncedLines();

private:
    std::string m_strAnswerPrefix;
    bool m_bBodyPending = false;    // the next line is the PDU of the code before it
    bool m_bReportPending = false;  // and that code was "+CDS:"
    std::string m_strReportHeader;
    std::vector<std::string> m_reportLines;
    std::vector<std::string> m_announcedLines;
};
