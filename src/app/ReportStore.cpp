#include "app/ReportStore.h"

#include <cstdio>
#include <cstdlib>

#include "base/ErrorCodes.h"
#include "base/MultiSz.h"

namespace {

const WChar kSeparator = '\t';

// One element: "<key>\t<number>\t<ref>\t<sent>\t<state>\t<status>\t<discharge>".
struct CStoredPart {
    WString strKey;
    CSentPart part;
};

std::vector<WString> Split(const WString& str)
{
    std::vector<WString> fields;
    size_t nStart = 0;
    for (;;) {
        const size_t nTab = str.find(kSeparator, nStart);
        fields.push_back(str.substr(nStart, nTab == WString::npos ? nTab : nTab - nStart));
        if (nTab == WString::npos)
            return fields;
        nStart = nTab + 1;
    }
}

bool ParseInt(const WString& str, int64_t nMax, int64_t& n)
{
    const std::string strAnsi = WideToUtf8(str);
    if (strAnsi.empty() || strAnsi.size() > 18 || strAnsi.find_first_not_of("0123456789") != std::string::npos)
        return false;
    n = std::strtoll(strAnsi.c_str(), nullptr, 10);
    return n <= nMax;
}

// False for an element another version wrote differently: it is kept as it is.
bool ParsePart(const WString& strElement, CStoredPart& stored)
{
    const std::vector<WString> fields = Split(strElement);
    int64_t nRef = 0, nSent = 0, nState = 0, nStatus = 0;
    if (fields.size() < 7 || fields[0].empty() || !ParseInt(fields[2], 255, nRef) ||
        !ParseInt(fields[3], INT64_C(1) << 40, nSent) || !ParseInt(fields[4], static_cast<int64_t>(EPartDelivery::PART_UNCONFIRMED), nState) ||
        !ParseInt(fields[5], 255, nStatus))
        return false;
    stored.strKey = fields[0];
    stored.part.strNumber = fields[1];
    stored.part.nRef = static_cast<unsigned>(nRef);
    stored.part.nSentAt = nSent;
    stored.part.state = static_cast<EPartDelivery>(nState);
    stored.part.btStatus = static_cast<uint8_t>(nStatus);
    CSmsTime::Parse(WideToUtf8(fields[6]), stored.part.discharge);
    return true;
}

WString FormatPart(const WString& strKey, const CSentPart& part)
{
    const WString strTab(1, kSeparator);
    return strKey + strTab + part.strNumber + strTab + AnsiToWide(std::to_string(part.nRef)) + strTab +
           AnsiToWide(std::to_string(part.nSentAt)) + strTab + AnsiToWide(std::to_string(static_cast<int>(part.state))) + strTab +
           AnsiToWide(std::to_string(part.btStatus)) + strTab + AnsiToWide(part.discharge.Format());
}

std::vector<CStoredPart> ParseParts(const std::vector<WString>& aList)
{
    std::vector<CStoredPart> parts;
    for (const WString& strElement : aList) {
        CStoredPart stored;
        if (ParsePart(strElement, stored))
            parts.push_back(stored);
    }
    return parts;
}

} // namespace

const WChar CReportStore::kValue[] = WSTR("Reports");

WString GetDeliveryKey(const WString& strNumber, const WString& strTime, const WString& strText)
{
    uint64_t qwHash = 14695981039346656037ull;  // FNV-1a of the UTF-8 text
    for (char ch : WideToUtf8(strText)) {
        qwHash ^= static_cast<uint8_t>(ch);
        qwHash *= 1099511628211ull;
    }
    char sz[20];
    std::snprintf(sz, sizeof(sz), "%016llx", static_cast<unsigned long long>(qwHash));
    return strNumber + WSTR("|") + strTime + WSTR("|") + AnsiToWide(sz);
}

WString DescribeDelivery(const CDeliverySummary& summary)
{
    switch (summary.state) {
    case EMessageDelivery::DELIVERY_PENDING: return WSTR("Pending");
    case EMessageDelivery::DELIVERY_DELIVERED: {
        std::string strTime = summary.time.Format();
        if (strTime.size() > 10 && strTime[10] == 'T')
            strTime[10] = ' ';
        return strTime.empty() ? WString(WSTR("Delivered")) : WSTR("Delivered ") + AnsiToWide(strTime);
    }
    case EMessageDelivery::DELIVERY_FAILED: return WSTR("Not delivered: ") + Utf8ToWide(summary.strReason);
    case EMessageDelivery::DELIVERY_UNCONFIRMED: return WSTR("Not confirmed");
    default: return WSTR("Sent");
    }
}

WString DescribeRecordDelivery(const std::vector<CSentPart>& parts)
{
    return DescribeDelivery(parts.empty() ? CDeliverySummary() : SummarizeDelivery(parts));
}

WString DescribeRecordDelivery(const std::map<WString, std::vector<CSentPart>>& parts, const WString& strKey)
{
    const auto it = parts.find(strKey);
    return DescribeRecordDelivery(it == parts.end() ? std::vector<CSentPart>() : it->second);
}

uint32_t CReportStore::Add(const WString& strKey, const std::vector<CSentPart>& parts)
{
    return m_list.Update(kValue, [&](std::vector<WString>& aList) {
        for (const CSentPart& part : parts)
            aList.push_back(FormatPart(strKey, part));
        if (aList.size() > kMaxParts)
            aList.erase(aList.begin(), aList.end() - kMaxParts);
        return !parts.empty();
    });
}

std::map<WString, std::vector<CSentPart>> CReportStore::Read() const
{
    std::map<WString, std::vector<CSentPart>> messages;
    for (const CStoredPart& stored : ParseParts(m_list.Read(kValue)))
        messages[stored.strKey].push_back(stored.part);
    return messages;
}

// The elements under the key are found before any is parsed.
std::vector<CSentPart> CReportStore::ReadMessage(const WString& strKey) const
{
    const std::shared_ptr<const std::vector<uint8_t>> pData = m_list.ReadData(kValue);
    const std::vector<uint8_t>& data = *pData;
    const WString strPrefix = strKey + WString(1, kSeparator);
    std::vector<CSentPart> parts;
    ForEachMultiSz(data.data(), data.size(), [&](const CMultiSzSpan& span) {
        CStoredPart stored;
        if (MultiSzSpanStartsWith(data.data(), span, strPrefix) &&
            ParsePart(DecodeMultiSzSpan(data.data(), span), stored) && stored.strKey == strKey)
            parts.push_back(stored.part);
    });
    return parts;
}

bool CReportStore::HasPending(int64_t nNow) const
{
    for (const CStoredPart& stored : ParseParts(m_list.Read(kValue))) {
        if (stored.part.state == EPartDelivery::PART_PENDING && nNow - stored.part.nSentAt <= kReportMaxAge)
            return true;
    }
    return false;
}

uint32_t CReportStore::Apply(const std::vector<CStatusReport>& reports, int64_t nNow, std::vector<WString>& matched)
{
    matched.assign(reports.size(), WString());
    return m_list.Update(kValue, [&](std::vector<WString>& aList) {
        // The parts that can be read, with their places in the list.
        std::vector<CSentPart> parts;
        std::vector<size_t> places;
        std::vector<WString> keys;
        for (size_t i = 0; i < aList.size(); ++i) {
            CStoredPart stored;
            if (!ParsePart(aList[i], stored))
                continue;
            parts.push_back(stored.part);
            places.push_back(i);
            keys.push_back(stored.strKey);
        }
        bool bChanged = false;
        for (size_t i = 0; i < reports.size(); ++i) {
            const int nPart = FindReportedPart(parts, reports[i], nNow);
            if (nPart < 0)
                continue;
            matched[i] = keys[static_cast<size_t>(nPart)];
            if (ApplyReport(parts[static_cast<size_t>(nPart)], reports[i])) {
                aList[places[static_cast<size_t>(nPart)]] = FormatPart(keys[static_cast<size_t>(nPart)],
                                                                       parts[static_cast<size_t>(nPart)]);
                bChanged = true;
            }
        }
        return bChanged;
    });
}
