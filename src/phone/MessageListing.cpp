#include "phone/MessageListing.h"

#include <algorithm>

#include "base/Text.h"
#include "phone/PhoneReply.h"

namespace {

const char kCmgl[] = "+CMGL:";
const char kCmgr[] = "+CMGR:";
const char kCmti[] = "+CMTI:";
const char kCds[] = "+CDS:";
const char kCdsi[] = "+CDSI:";
const char kCpms[] = "+CPMS:";

// The fields after a prefix, split at commas (quoted ones too: no field
// these parsers read holds a comma), each trimmed.
std::vector<std::string> Fields(const std::string& strLine, const char* pszPrefix)
{
    std::vector<std::string> fields;
    const std::string strRest = strLine.substr(std::char_traits<char>::length(pszPrefix));
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = strRest.find(',', nStart);
        fields.push_back(TrimWhite(strRest.substr(nStart, nComma == std::string::npos ? nComma : nComma - nStart)));
        if (nComma == std::string::npos)
            return fields;
        nStart = nComma + 1;
    }
}

// Decimal digits, at most 9 (no overflow).
bool ParseNumber(const std::string& str, unsigned& n)
{
    if (str.empty() || str.size() > 9)
        return false;
    n = 0;
    for (char ch : str) {
        if (ch < '0' || ch > '9')
            return false;
        n = n * 10 + static_cast<unsigned>(ch - '0');
    }
    return true;
}

std::string Unquote(const std::string& str)
{
    if (str.size() >= 2 && str.front() == '"' && str.back() == '"')
        return str.substr(1, str.size() - 2);
    return str;
}

bool IsHexLine(const std::string& str)
{
    if (str.empty() || str.size() % 2)
        return false;
    return std::all_of(str.begin(), str.end(), [](char ch) {
        return (ch >= '0' && ch <= '9') || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
    });
}

// The first octet of a line IsHexLine accepted.
unsigned FirstOctet(const std::string& strHex)
{
    unsigned n = 0;
    for (size_t i = 0; i < 2; ++i) {
        const char ch = strHex[i];
        n = n * 16 + static_cast<unsigned>(ch <= '9' ? ch - '0' : (ch | 0x20) - 'a' + 10);
    }
    return n;
}

} // namespace

bool CMessageListing::Feed(const std::string& strLine)
{
    const bool bCmgl = StartsWith(strLine, kCmgl);
    const bool bCmgr = StartsWith(strLine, kCmgr);
    const bool bCds = StartsWith(strLine, kCds);
    if (bCmgl || bCmgr || bCds) {
        if (bCds && Fields(strLine, kCds).size() != 1)
            return false;  // the text-mode form, not a PDU
        if (m_bWaiting)
            Close("no PDU line after the header");
        CListedPdu pdu;
        pdu.bReport = bCds;
        pdu.nIndex = m_nReadIndex;
        const std::vector<std::string> fields = Fields(strLine, bCmgl ? kCmgl : bCmgr ? kCmgr : kCds);
        bool bRead = ParseNumber(fields.back(), pdu.nLength);
        if (bCmgl)
            bRead = bRead && fields.size() >= 3 && ParseNumber(fields[0], pdu.nIndex) && ParseNumber(fields[1], pdu.nStat);
        else if (bCmgr)
            bRead = bRead && fields.size() >= 2 && ParseNumber(fields[0], pdu.nStat);
        else
            bRead = bRead && fields.size() == 1;
        if (!bRead)
            pdu.strNote = "unreadable header \"" + strLine + "\"";
        m_pdus.push_back(pdu);
        m_bWaiting = true;
        return true;
    }
    if (!m_bWaiting)
        return false;
    if (GetFinalResult(strLine) != EFinalResult::FINAL_NONE || StartsWith(strLine, "+")) {
        Close("no PDU line after the header");
        return false;
    }
    CListedPdu& pdu = m_pdus.back();
    m_bWaiting = false;
    pdu.strHex = strLine;
    if (!IsHexLine(strLine)) {
        pdu.strNote += std::string(pdu.strNote.empty() ? "" : "; ") + "PDU line is not hex";
        return true;
    }
    pdu.bComplete = pdu.strNote.empty();
    const size_t nOctets = strLine.size() / 2;
    if (!pdu.bComplete)
        return true;
    if (nOctets == pdu.nLength)
        pdu.strHex = "00" + strLine;  // the phone left the service-centre field out
    else if (nOctets < pdu.nLength || nOctets != pdu.nLength + 1 + FirstOctet(strLine))
        pdu.strNote = "length " + std::to_string(pdu.nLength) + " does not match the PDU";
    return true;
}

void CMessageListing::Finish()
{
    if (m_bWaiting)
        Close("no PDU line after the header");
}

void CMessageListing::Close(const std::string& strNote)
{
    CListedPdu& pdu = m_pdus.back();
    pdu.strNote += (pdu.strNote.empty() ? "" : "; ") + strNote;
    m_bWaiting = false;
}

bool ParseAnnouncement(const std::string& strLine, CAnnounced& announced)
{
    announced.bReport = StartsWith(strLine, kCdsi);
    if (!announced.bReport && !StartsWith(strLine, kCmti))
        return false;
    const std::vector<std::string> fields = Fields(strLine, announced.bReport ? kCdsi : kCmti);
    if (fields.size() != 2 || !ParseNumber(fields[1], announced.nIndex))
        return false;
    announced.strStorage = Unquote(fields[0]);
    return !announced.strStorage.empty();
}

bool ParseStorageStatus(const std::string& strLine, std::vector<CStorageStatus>& storages)
{
    storages.clear();
    if (!StartsWith(strLine, kCpms))
        return false;
    const std::vector<std::string> fields = Fields(strLine, kCpms);
    if (fields.size() < 3 || fields.size() % 3)
        return false;
    for (size_t i = 0; i < fields.size(); i += 3) {
        CStorageStatus storage;
        storage.strName = Unquote(fields[i]);
        unsigned nDummy = 0;
        if (storage.strName.empty() || ParseNumber(storage.strName, nDummy) ||
            !ParseNumber(fields[i + 1], storage.nUsed) || !ParseNumber(fields[i + 2], storage.nTotal)) {
            storages.clear();
            return false;
        }
        storages.push_back(storage);
    }
    return true;
}

std::vector<std::string> GetStoragesToRead(const std::vector<CStorageStatus>& storages)
{
    std::vector<std::string> names;
    for (const CStorageStatus& storage : storages) {
        const std::string& str = storage.strName;
        const bool bMessages = str == "SM" || str == "ME" || str == "MT";
        if (bMessages && storage.nUsed > 0 && std::find(names.begin(), names.end(), str) == names.end())
            names.push_back(str);
    }
    return names;
}

std::string SelectStorageCommand(const std::string& strStorage)
{
    return "AT+CPMS=\"" + strStorage + "\"";
}
