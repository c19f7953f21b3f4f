#include "phone/Unsolicited.h"

#include "base/Text.h"
#include "base/Trace.h"

namespace {

// Codes a phone may send on its own after the usual set-up, by their start.
// A line beginning with '^' is a vendor's status report (boot, signal, mode).
const char* const kUnsolicitedPrefixes[] = {
    "+CMTI:", "+CMT:", "+CDSI:", "+CDS:", "+CBM:", "+CREG:", "+CGREG:", "+CRING:", "+CIEV:", "^",
};
const char* const kUnsolicitedLines[] = {"RING", "NO CARRIER"};
// In PDU mode these deliver the message itself in the line that follows.
const char* const kWithPduLine[] = {"+CMT:", "+CDS:", "+CBM:"};

bool StartsWith(const std::string& str, const char* pszPrefix)
{
    return str.compare(0, std::char_traits<char>::length(pszPrefix), pszPrefix) == 0;
}

bool IsBreak(char ch)
{
    return ch == '\r' || ch == '\n';
}

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
    if (!IsUnsolicited(strLine))
        return true;
    TRACE_PAIR("Ignored the unsolicited '%s'\n", strLine.c_str());
    m_bBodyPending = HasPduLine(strLine);
    m_bReportPending = StartsWith(strLine, "+CDS:");
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

std::string CUnsolicitedFilter::StripBurst(const std::string& strBurst)
{
    std::string str = strBurst;
    size_t nPos = 0;
    while (nPos < str.size()) {
        if (IsBreak(str[nPos])) {
            ++nPos;
            continue;
        }
        const size_t nEnd = str.find_first_of("\r\n", nPos);
        if (nEnd == std::string::npos)
            break;  // a line the next burst may finish, or a prompt
        const std::string strLine = TrimWhite(str.substr(nPos, nEnd - nPos));
        if (strLine.empty() || KeepLine(strLine)) {
            nPos = nEnd;
            continue;
        }
        // A phone frames the code with a line break before and after it.
        size_t nFrom = nPos;
        if (nFrom >= 2 && str.compare(nFrom - 2, 2, "\r\n") == 0)
            nFrom -= 2;
        else if (nFrom >= 1 && IsBreak(str[nFrom - 1]))
            nFrom -= 1;
        const size_t nTo = nEnd + (str.compare(nEnd, 2, "\r\n") == 0 ? 2 : 1);
        str.erase(nFrom, nTo - nFrom);
        nPos = nFrom;
    }
    return str;
}
