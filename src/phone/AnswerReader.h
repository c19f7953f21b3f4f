// Reads what the phone sends as lines, across any number of reads: zero
// bytes dropped, the phone's echo of the last write and its unsolicited codes
// taken out (status reports it passes on kept apart), the prompt for a PDU
// recognised at the start of a line no line break follows.
#pragma once

#include <string>
#include <vector>

#include "phone/MessageListing.h"
#include "phone/PhoneReply.h"
#include "phone/Unsolicited.h"

class CAnswerReader {
public:
    CAnswerReader();

    // What was just written: its echo is passed over, and the answer it asks
    // for ("+CPIN:" for "AT+CPIN?") is no unsolicited code.
    void SetWritten(const std::string& strWritten);
    // The lines the read completes; throws CSmsException for a line that
    // grows without end.
    std::vector<std::string> Take(const std::string& strData);
    bool TakePrompt() { return m_lines.TakePrompt(); }
    bool HasTail() const { return m_lines.HasTail(); }
    // Status reports the phone passed on by itself ("+CDS:") since the last call.
    std::vector<CListedPdu> TakeReports();
    // What the phone announced it stored ("+CMTI:", "+CDSI:") since the last call.
    std::vector<CAnnounced> TakeAnnounced();
    // A new request: no code's PDU line is awaited any more.
    void ResetCodes() { m_unsolicited.Reset(); }
    // The port is closed: an unfinished line belongs to nothing.
    void Clear() { m_lines.Clear(); }

private:
    bool IsEcho(std::string strLine) const;

    CReplyLines m_lines;
    CUnsolicitedFilter m_unsolicited;
    std::string m_strEcho;
};
