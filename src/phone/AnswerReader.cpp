#include "phone/AnswerReader.h"

#include <algorithm>

#include "base/Text.h"
#include "base/Trace.h"
#include "phone/SmsException.h"

namespace {

// A reply line longer than this is babble, not an answer.
const size_t kMaxLine = 2048;

// "+CPIN:" for "AT+CPIN?": the start of the answer a command asks for.
std::string AnswerPrefix(const std::string& strCommand)
{
    if (strCommand.compare(0, 3, "AT+") != 0)
        return std::string();
    return strCommand.substr(2, strCommand.find_first_of("=?\r", 3) - 2) + ":";
}

} // namespace

CAnswerReader::CAnswerReader() : m_lines(kMaxLine) {}

// The echo of a PDU may keep its Ctrl-Z. What was written may be a secret,
// so the copy of it before is overwritten.
void CAnswerReader::SetWritten(const std::string& strWritten)
{
    std::string strEcho = strWritten;
    if (!strEcho.empty() && strEcho.back() == '\x1A')
        strEcho.pop_back();
    std::fill(m_strEcho.begin(), m_strEcho.end(), '\0');
    m_strEcho = TrimWhite(strEcho);
    std::fill(strEcho.begin(), strEcho.end(), '\0');
    m_unsolicited.SetAnswerPrefix(AnswerPrefix(m_strEcho));
}

std::vector<std::string> CAnswerReader::Take(const std::string& strData)
{
    std::vector<std::string> lines;
    if (!m_lines.Feed(strData, lines))
        throw CSmsException("a line of at most 2048 characters", strData);
    std::vector<std::string> kept;
    for (std::string& strLine : lines) {
        if (m_unsolicited.KeepLine(strLine) && !IsEcho(strLine))
            kept.push_back(std::move(strLine));
    }
    return kept;
}

bool CAnswerReader::IsEcho(std::string strLine) const
{
    if (!strLine.empty() && strLine.back() == '\x1A')
        strLine.pop_back();
    return !m_strEcho.empty() && TrimWhite(strLine) == m_strEcho;
}

std::vector<CListedPdu> CAnswerReader::TakeReports()
{
    const std::vector<std::string> lines = m_unsolicited.TakeReportLines();
    if (lines.empty())
        return std::vector<CListedPdu>();
    CMessageListing reports;
    for (const std::string& strLine : lines)
        reports.Feed(strLine);
    reports.Finish();
    return reports.GetPdus();
}

std::vector<CAnnounced> CAnswerReader::TakeAnnounced()
{
    std::vector<CAnnounced> announced;
    for (const std::string& strLine : m_unsolicited.TakeAnnouncedLines()) {
        CAnnounced one;
        if (ParseAnnouncement(strLine, one))
            announced.push_back(one);
        else
            TRACE_PAIR("An announcement that names no memory and index: '%s'\n", strLine.c_str());
    }
    return announced;
}
