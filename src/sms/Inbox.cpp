#include "sms/Inbox.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "sms/PduReader.h"

namespace {

const int64_t kJoinWindow = 3 * 24 * 3600;

void AddNoteOnce(std::string& strNotes, const std::string& strNote)
{
    if (strNote.empty() || strNotes.find(strNote) != std::string::npos)
        return;
    if (!strNotes.empty())
        strNotes += "; ";
    strNotes += strNote;
}

bool IsHighSurrogate(WChar ch)
{
    return ch >= 0xD800 && ch <= 0xDBFF;
}

bool IsLowSurrogate(WChar ch)
{
    return ch >= 0xDC00 && ch <= 0xDFFF;
}

WString ReplaceLoneSurrogates(WString str)
{
    for (size_t i = 0; i < str.size(); ++i) {
        if (IsHighSurrogate(str[i]) && i + 1 < str.size() && IsLowSurrogate(str[i + 1]))
            ++i;
        else if (IsHighSurrogate(str[i]) || IsLowSurrogate(str[i]))
            str[i] = WChar(0xFFFD);
    }
    return str;
}

bool IsNear(const CSmsTime& a, const CSmsTime& b)
{
    if (!a.bValid || !b.bValid)
        return true;
    const int64_t nDiff = a.ToUnixTime() - b.ToUnixTime();
    return nDiff <= kJoinWindow && -nDiff <= kJoinWindow;
}

bool HasPart(const CReceivedMsg& msg, unsigned nPart)
{
    for (const CReceivedPart& part : msg.parts)
        if (part.nPart == nPart)
            return true;
    return false;
}

void InsertPart(CReceivedMsg& msg, const CReceivedPart& part)
{
    auto it = std::find_if(msg.parts.begin(), msg.parts.end(),
                           [&part](const CReceivedPart& p) { return p.nPart > part.nPart; });
    const bool bFirst = it == msg.parts.begin();
    msg.parts.insert(it, part);
    if (bFirst)
        msg.time = part.time;
}

CReceivedPart MakePart(const CDeliverSms& sms)
{
    CReceivedPart part;
    part.nPart = sms.concat.bPresent ? sms.concat.nPart : 1;
    part.strKey = GetPduKey(sms.strHex);
    part.time = sms.time;
    part.strText = sms.strText;
    // A line that is not even text is kept as the text it shows as.
    if (!sms.bDecoded)
        part.strPdu = IsValidUtf8(sms.strHex) ? sms.strHex : WideToUtf8(Utf8ToWide(sms.strHex));
    return part;
}

} // namespace

std::string GetLegacyPduKey(const std::string& strHex)
{
    uint64_t qwHash = 14695981039346656037ull;  // FNV-1a
    for (char ch : strHex) {
        const char chUpper = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        qwHash ^= static_cast<uint8_t>(chUpper);
        qwHash *= 1099511628211ull;
    }
    char sz[20];
    std::snprintf(sz, sizeof(sz), "%016llx", static_cast<unsigned long long>(qwHash));
    return sz;
}

// The field is its length in octets and that many octets.
std::string GetPduKey(const std::string& strHex)
{
    const int nHigh = strHex.size() >= 2 ? HexDigitValue(strHex[0]) : -1;
    const int nLow = strHex.size() >= 2 ? HexDigitValue(strHex[1]) : -1;
    const size_t nSkip = nHigh < 0 || nLow < 0 ? 0 : 2 + 2 * static_cast<size_t>(nHigh * 16 + nLow);
    return GetLegacyPduKey(nSkip < strHex.size() ? strHex.substr(nSkip) : strHex);
}

WString CReceivedMsg::GetText() const
{
    if (!bDecoded)
        return parts.empty() ? WString() : Utf8ToWide(parts.front().strPdu);
    WString strText;
    size_t nIndex = 0;
    for (unsigned nPart = 1; nPart <= nTotal; ++nPart) {
        if (nIndex < parts.size() && parts[nIndex].nPart == nPart) {
            strText += parts[nIndex++].strText;
            continue;
        }
        strText += Utf8ToWide("[part " + std::to_string(nPart) + " of " + std::to_string(nTotal) + " missing]");
    }
    return ReplaceLoneSurrogates(strText);
}

CReceivedMsg* CInbox::FindPartner(const CDeliverSms& sms)
{
    for (CReceivedMsg& msg : m_messages) {
        if (msg.bDecoded && msg.bConcatenated && msg.strSender == sms.strSender &&
            msg.b16BitRef == sms.concat.b16Bit && msg.nRef == sms.concat.nRef && msg.nTotal == sms.concat.nTotal &&
            !HasPart(msg, sms.concat.nPart) && IsNear(msg.time, sms.time))
            return &msg;
    }
    return nullptr;
}

CInbox::EAdded CInbox::Add(const CDeliverSms& sms)
{
    const CReceivedPart part = MakePart(sms);
    if (m_keys.count(GetLegacyPduKey(sms.strHex)) || !m_keys.insert(part.strKey).second)
        return EAdded::ADDED_DUPLICATE;
    const bool bConcatenated = sms.bDecoded && sms.concat.bPresent && sms.concat.nTotal > 1;
    if (bConcatenated) {
        if (CReceivedMsg* pMsg = FindPartner(sms)) {
            InsertPart(*pMsg, part);
            AddNoteOnce(pMsg->strNote, sms.strNote);
            pMsg->bNew = true;
            return EAdded::ADDED_JOINED;
        }
    }
    CReceivedMsg msg;
    msg.bDecoded = sms.bDecoded;
    msg.strSender = sms.strSender;
    msg.time = sms.time;
    msg.alphabet = sms.coding.alphabet;
    msg.bConcatenated = bConcatenated;
    if (bConcatenated) {
        msg.b16BitRef = sms.concat.b16Bit;
        msg.nRef = sms.concat.nRef;
        msg.nTotal = sms.concat.nTotal;
    }
    msg.parts.push_back(part);
    msg.strNote = sms.strNote;
    msg.bNew = true;
    m_messages.push_back(msg);
    return EAdded::ADDED_NEW;
}

bool CInbox::MarkSeen(const std::set<std::string>& keys)
{
    bool bChanged = false;
    for (CReceivedMsg& msg : m_messages) {
        const bool bShown = std::all_of(msg.parts.begin(), msg.parts.end(),
                                        [&keys](const CReceivedPart& part) { return keys.count(part.strKey) != 0; });
        if (msg.bNew && bShown) {
            msg.bNew = false;
            bChanged = true;
        }
    }
    return bChanged;
}

bool CInbox::Restore(const CReceivedMsg& msg)
{
    if (msg.parts.empty() || msg.nTotal == 0)
        return false;
    std::set<std::string> keys;
    unsigned nLast = 0;
    for (const CReceivedPart& part : msg.parts) {
        if (part.nPart <= nLast || part.nPart > msg.nTotal || part.strKey.empty() || m_keys.count(part.strKey) ||
            !keys.insert(part.strKey).second)
            return false;
        nLast = part.nPart;
    }
    m_keys.insert(keys.begin(), keys.end());
    m_messages.push_back(msg);
    return true;
}

std::vector<CReceivedMsg> JoinParts(const std::vector<CDeliverSms>& listed)
{
    CInbox inbox;
    for (const CDeliverSms& sms : listed)
        inbox.Add(sms);
    return inbox.GetMessages();
}
