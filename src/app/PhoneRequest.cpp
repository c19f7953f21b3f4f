#include "app/PhoneRequest.h"

#include "base/Trace.h"
#include "phone/PhoneError.h"

WString CPhoneRequest::Fail(const CSmsException& error, const char* pszFailure, const char* pszTrace,
                            const WString& strWho) const
{
    TRACE_REPORT("%s", pszTrace);
    // The phone's reason, or the failure's own when the reply does not say it.
    const WString strReason = !error.m_strReason.empty()
                                  ? error.m_strReason
                                  : AnsiToWide(DescribePhoneError(WideToAnsi(error.m_strReceived)));
    Status(DescribeFailure(pszFailure, strWho, strReason));
    m_pHost->OnPhoneRefused(error, strReason);
    return strReason;
}

void CPhoneRequest::FailWith(const WString& strReason, const char* pszFailure, const char* pszTrace,
                             const WString& strWho) const
{
    TRACE_REPORT("%s", pszTrace);
    Status(DescribeFailure(pszFailure, strWho, strReason));
}

// A send names its recipient and, of several, how many went.
WString CPhoneRequest::DescribeFailure(const char* pszFailure, const WString& strWho, const WString& strReason) const
{
    WString strText = AnsiToWide(pszFailure);
    if (!strWho.empty())
        strText += WSTR(" to ") + strWho;
    if (!strReason.empty())
        strText += WSTR(": ") + strReason;
    return strWho.empty() ? strText : strText + DescribeProgress();
}
