#include "sms/Msg.h"

#include "base/Trace.h"
#include "sms/Pdu.h"

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

// What one SMS holds, and one part of a concatenated message, in the units
// of an encoding.
struct CCapacity {
    size_t nSingle;
    size_t nPart;
};
const CCapacity kGsmCapacity = {kSingleSeptets, kPartSeptets};
const CCapacity kUcs2Capacity = {kSingleUnits, kPartUnits};

// A cut before nEnd would leave an extension character's escape septet
// behind (an escape septet is always followed by its code).
bool SplitsExtension(const SeptetString& strSeptets, size_t nEnd)
{
    return strSeptets[nEnd - 1] == kGsmEscape;
}

// A cut before nEnd would part a high surrogate from its low one.
bool SplitsSurrogatePair(const WString& strUnits, size_t nEnd)
{
    const uint16_t wLast = static_cast<uint16_t>(strUnits[nEnd - 1]);
    const uint16_t wNext = static_cast<uint16_t>(strUnits[nEnd]);
    return wLast >= 0xD800 && wLast <= 0xDBFF && wNext >= 0xDC00 && wNext <= 0xDFFF;
}

template <class TString, class TSplits>
size_t PartLength(const TString& str, size_t nPos, const CCapacity& capacity, TSplits splits)
{
    const size_t nTotal = str.size();
    if (nTotal <= capacity.nSingle)
        return nPos == 0 ? nTotal : 0;
    if (nPos >= nTotal)
        return 0;
    size_t nLength = nTotal - nPos < capacity.nPart ? nTotal - nPos : capacity.nPart;
    if (nPos + nLength < nTotal && splits(str, nPos + nLength))
        --nLength;
    return nLength;
}

// The parts a text is cut into: how many, and how much the last one holds.
struct CLayout {
    unsigned nParts;
    size_t nLast;
};

template <class TString, class TSplits>
CLayout Lay(const TString& str, const CCapacity& capacity, TSplits splits)
{
    if (str.size() <= capacity.nSingle)
        return CLayout{1, str.size()};
    CLayout layout{0, 0};
    for (size_t nPos = 0; nPos < str.size(); nPos += layout.nLast) {
        layout.nLast = PartLength(str, nPos, capacity, splits);
        ++layout.nParts;
    }
    return layout;
}

CLayout LayGsm(const SeptetString& strSeptets)
{
    return Lay(strSeptets, kGsmCapacity, SplitsExtension);
}

CLayout LayUcs2(const WString& strUnits)
{
    return Lay(strUnits, kUcs2Capacity, SplitsSurrogatePair);
}

} // namespace

EEncoding ChooseEncoding(const WString& strText)
{
    return FitsGsmAlphabet(strText) ? EEncoding::ENC_GSM7 : EEncoding::ENC_UCS2;
}

WString TextToUcs2(const WString& strText)
{
    return strText.substr(0, strText.find(WChar(0)));
}

void ResetMsgReferences(uint8_t btCounter)
{
    g_btRefCounter = btCounter;
}

size_t GetPartLength(const SeptetString& strSeptets, size_t nPos)
{
    return PartLength(strSeptets, nPos, kGsmCapacity, SplitsExtension);
}

size_t GetUcs2PartLength(const WString& strUnits, size_t nPos)
{
    return PartLength(strUnits, nPos, kUcs2Capacity, SplitsSurrogatePair);
}

unsigned CountParts(const SeptetString& strSeptets)
{
    return LayGsm(strSeptets).nParts;
}

unsigned CountUcs2Parts(const WString& strUnits)
{
    return LayUcs2(strUnits).nParts;
}

CMsg::CMsg(const WString& strText, const WString& strName, const WString& strNumber)
    : m_dwRef(NextReference()),
      m_eEncoding(ChooseEncoding(strText)),
      m_strSeptets(m_eEncoding == EEncoding::ENC_GSM7 ? TextToGsm(strText) : SeptetString()),
      m_strUnits(m_eEncoding == EEncoding::ENC_UCS2 ? TextToUcs2(strText) : WString()),
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

WString CMsg::GetUcs2Part() const
{
    return m_strUnits.substr(m_dwPos < m_strUnits.size() ? m_dwPos : m_strUnits.size(),
                             GetUcs2PartLength(m_strUnits, m_dwPos));
}

bool CMsg::BuildPdu(std::string& strPdu) const
{
    const uint8_t btTotal = static_cast<uint8_t>(GetTotalParts());
    const uint8_t btRef = static_cast<uint8_t>(m_dwRef);
    if (IsUnicode())
        return BuildUcs2SubmitPdu(GetUcs2Part(), m_strNumber, strPdu, m_btCurSms, btTotal, btRef, m_bStatusReport);
    return BuildSubmitPdu(GetPart(), m_strNumber, strPdu, m_btCurSms, btTotal, btRef, m_bStatusReport);
}

void CMsg::NextPart()
{
    if (GetTotalParts() == 1)
        m_dwPos += IsUnicode() ? kSingleUnits : kSingleSeptets;
    else if (IsUnicode())
        m_dwPos += static_cast<uint32_t>(GetUcs2PartLength(m_strUnits, m_dwPos));
    else
        m_dwPos += static_cast<uint32_t>(GetPartLength(m_strSeptets, m_dwPos));
    ++m_btCurSms;
}

unsigned CMsg::GetTotalParts() const
{
    return IsUnicode() ? CountUcs2Parts(m_strUnits) : CountParts(m_strSeptets);
}

WString FormatDisplayName(const WString& strName, const WString& strNumber)
{
    if (strName.empty())
        return strNumber;
    return strName + WSTR(" (") + strNumber + WSTR(")");
}

WString CMsg::GetDisplayName() const
{
    return FormatDisplayName(m_strName, m_strNumber);
}

CCharCount CountChars(const WString& strText)
{
    const bool bUnicode = ChooseEncoding(strText) == EEncoding::ENC_UCS2;
    const CLayout layout = bUnicode ? LayUcs2(TextToUcs2(strText)) : LayGsm(TextToGsm(strText));
    const CCapacity& capacity = bUnicode ? kUcs2Capacity : kGsmCapacity;
    const size_t nCapacity = layout.nParts == 1 ? capacity.nSingle : capacity.nPart;
    CCharCount count;
    count.nLeft = static_cast<unsigned>(nCapacity - layout.nLast);
    count.nPart = layout.nParts;
    count.bUnicode = bUnicode;
    return count;
}

WString FormatCharCount(const CCharCount& count)
{
    std::string strLabel = std::to_string(count.nLeft) + " characters left in SMS " + std::to_string(count.nPart);
    if (count.bUnicode)
        strLabel += " (Unicode)";
    return Utf8ToWide(strLabel);
}

unsigned CountTextParts(const WString& strText)
{
    return CountChars(strText).nPart;  // the number of the last part
}
