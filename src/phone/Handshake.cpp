#include "phone/Handshake.h"

#include "base/Trace.h"
#include "phone/PhoneReply.h"
#include "phone/SmsException.h"

bool CHandshake::OnLine(const std::string& strLine, bool bMore)
{
    if (IsLeftoverAnswer(strLine, bMore, m_bAfterAck)) {
        TRACE_PAIR("Passed over what an earlier request left: '%s'\n", strLine.c_str());
        return false;
    }
    switch (GetFinalResult(strLine)) {
    case EFinalResult::FINAL_OK:
        return true;
    case EFinalResult::FINAL_ERROR:
        throw CSmsException("OK", strLine);
    default:
        TRACE_PAIR("Passed over '%s'\n", strLine.c_str());
        return false;
    }
}
