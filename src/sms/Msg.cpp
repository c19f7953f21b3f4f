#include "sms/Msg.h"

#include "base/Trace.h"

namespace {

// References run 241, 242, ..., 255, 1, 2, ...: never 0. Not saved between runs.
uint8_t g_btRefCounter = 240;

uint32_t NextReference()
{
    ++g_btRefCounter;
    if (g_btRefCounter == 0)
        ++g_btRefCounter;
    return g_btRefCounter;
}

} // namespace

void ResetMsgReferences(uint8_t btCounter)
{
    g_btRefCounter = btCounter;
}

size_t GetPartLength(const SeptetString& strSeptets, size_t nPos)
{
    const size_t nTotal = strSeptets.size();
    if (nTotal <= kSingleSeptets)
        return nPos == 0 ? nTotal : 0;
    if (nPos >= nTotal)
        return 0;
    size_t nLength = nTotal - nPos < kPartSeptets ? nTotal - nPos : kPartSeptets;
    // An escape septet is always followed by its code (never another escape).
    if (nPos + nLength < nTotal && strSeptets[nPos + nLength - 1] == kGsmEscape)
        --nLength;
    return nLength;
}

unsigned CountParts(const SeptetString& strSeptets)
{
    if (strSeptets.size() <= kSingleSeptets)
        return 1;
    unsigned nParts = 0;
    for (size_t nPos = 0; nPos < strSeptets.size(); nPos += GetPartLength(strSeptets, nPos))
        ++nParts;
    return nParts;
}

CMsg::CMsg(const WString& strText, const WString& strName, const WString& strNumber)
    : m_dwRef(NextReference()),
      m_strSeptets(TextToGsm(strText)),
      m_strName(strName),
      m_strNumber(strNumber),
      m_strText(strText),
      m_btCurSms(1),
      m_dwPos(0)
{
    TRACE_PAIR("m_dwRef: %u\n", static_cast<unsigned>(m_dwRef));
}

SeptetString CMsg::GetPart() const
{
    return m_strSeptets.substr(m_dwPos < m_strSeptets.size() ? m_dwPos : m_strSeptets.size(),
                               GetPartLength(m_strSeptets, m_dwPos));
}

void CMsg::NextPart()
{
    if (m_strSeptets.size() <= kSingleSeptets)
        m_dwPos += kSingleSeptets;
    else
        m_dwPos += static_cast<uint32_t>(GetPartLength(m_strSeptets, m_dwPos));
    ++m_btCurSms;
}

WString CMsg::GetDisplayName() const
{
    if (m_strName.empty())
        return m_strNumber;
    return m_strName + WSTR(" (") + m_strNumber + WSTR(")");
}

CCharCount CountChars(size_t nChars)
{
    const size_t nCapacity = nChars <= kSingleSeptets ? kSingleSeptets : kPartSeptets;
    const size_t nPart = nChars == 0 ? 1 : (nChars + nCapacity - 1) / nCapacity;
    CCharCount count;
    count.nPart = static_cast<unsigned>(nPart);
    count.nLeft = static_cast<unsigned>(nPart * nCapacity - nChars);
    return count;
}
