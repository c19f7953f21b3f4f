#include "phone/Unsolicited.h"

#include "base/Text.h"
#include "base/Trace.h"

namespace {

// Codes a phone may send on its own, by their start: after the usual set-up,
// and the start-up reports of modules (the functionality, the SIM, the
// signal, a USSD answer, vendor indications). A line beginning with '^' is a
// vendor's status report (boot, signal, mode). "+CPIN:", "+CSQ:" and the
// others are an answer when they are what the command asked for.
const char* const kUnsolicitedPrefixes[] = {
    "+CMTI:", "+CMT:", "+CDSI:", "+CDS:", "+CBM:", "+CREG:", "+CGREG:", "+CRING:", "+CIEV:",
    "+CFUN:", "+CPIN:", "+CSQ:", "+CUSD:", "+QIND:", "+QUSIM:", "^",
};
// Whole lines: a call, and what modules say when they have started.
const char* const kUnsolicitedLines[] = {"RING", "NO CARRIER", "RDY", "Call Ready", "SMS Ready", "PB DONE", "SMS DONE"};
// In PDU mode these deliver the message itself in the line that follows.
const char* const kWithPduLine[] = {"+CMT:", "+CDS:", "+CBM:"};

bool HasPduLine(const std::string& strLine)
{
    for (const char* pszPrefix : kWithPduLine) {
        if (StartsWith(strLine, pszPrefix))
            return true;
    }
    return false;
}

} // namespace

bool IsUnsolicited(const std::string& strLine)
{
    for (const char* pszLine : kUnsolicitedLines) {
        if (strLine == pszLine)
            return true;
    }
    for (const char* pszPrefix : kUnsolicitedPrefixes) {
        if (StartsWith(strLine, pszPrefix))
            return true;
    }
    return false;
}

bool CUnsolicitedFilter::KeepLine(const std::string& strLine)
{
    if (m_bBodyPending) {
        m_bBodyPending = false;
        if (m_bReportPending) {
            m_bReportPending = false;
            m_reportLines.push_back(m_strReportHeader);
            m_reportLines.push_back(strLine);
            TRACE_PAIR("Took the status report of an unsolicited code: '%s'\n", strLine.c_str());
            return false;
        }
        TRACE_PAIR("Ignored the message of an unsolicited code: '%s'\n", strLine.c_str());
        return false;
    }
    if (!IsUnsolicited(strLine) || (!m_strAnswerPrefix.empty() && StartsWith(strLine, m_strAnswerPrefix.c_str())))
        return true;
    TRACE_PAIR("Ignored the unsolicited '%s'\n", strLine.c_str());
    m_bBodyPending = HasPduLine(strLine);
    m_bReportPending = StartsWith(strLine, "+CDS:");
    if (StartsWith(strLine, "+CMTI:") || StartsWith(strLine, "+CDSI:"))
        m_announcedLines.push_back(strLine);
    if (m_bReportPending)
        m_strReportHeader = strLine;
    return false;
}

std::vector<std::string> CUnsolicitedFilter::TakeReportLines()
{
    std::vector<std::string> lines;
    lines.swap(m_reportLines);
    return lines;
}

std::vector<std::string> CUnsolicitedFilter::TakeAnnouncedLines()
{
    std::vector<std::string> lines;
    lines.swap(m_announcedLines);
    return lines;
}
