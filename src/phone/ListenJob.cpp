#include "phone/ListenJob.h"

#include "base/Trace.h"
#include "phone/PhoneReply.h"

const char CListenJob::kIndications[] = "AT+CNMI=2,1,0,2,0";

void CListenJob::Start()
{
    m_link.Command("AT+CMGF=0");
}

void CListenJob::OnLine(const std::string& strLine)
{
    const EFinalResult result = GetFinalResult(strLine);
    if (result == EFinalResult::FINAL_NONE)
        return;
    if (!m_bModeSet) {
        if (result == EFinalResult::FINAL_ERROR)
            throw CSmsException("OK", strLine);
        m_bModeSet = true;
        m_link.Command(kIndications);
        return;
    }
    if (result == EFinalResult::FINAL_ERROR)
        TRACE_PAIR("The phone announces nothing: '%s'\n", strLine.c_str());
    m_listener.OnAnnouncing(result == EFinalResult::FINAL_OK);
    m_link.Done();
}
