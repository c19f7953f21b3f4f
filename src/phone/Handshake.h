// The frame of every request: "AT", then "ATE0", each answered with "OK".
// The echo is taken out before (CAnswerReader); what a cancelled message left
// behind, and any other line, is passed over; a refusal fails the request.
#pragma once

#include <string>

class CHandshake {
public:
    // A read begins: an "OK" in it answers the command, unless an
    // acknowledgement just before it in the same read owns it.
    void OnRead() { m_bAfterAck = false; }
    // True for the answer "OK"; throws CSmsException for a refusal. bMore:
    // more follows in the same read.
    bool OnLine(const std::string& strLine, bool bMore);

private:
    bool m_bAfterAck = false;
};
