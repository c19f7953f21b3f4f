#include "sms/ReportMatch.h"

namespace {

const size_t kMinSuffixDigits = 7;

struct CDigits {
    std::string str;
    bool bInternational = false;
};

CDigits Reduce(const WString& strNumber)
{
    CDigits digits;
    for (WChar ch : strNumber) {
        if (ch >= '0' && ch <= '9')
            digits.str += static_cast<char>(ch);
        else if (ch == '+' && digits.str.empty())
            digits.bInternational = true;
    }
    if (digits.str.compare(0, 2, "00") == 0) {
        digits.str.erase(0, 2);
        digits.bInternational = true;
    }
    return digits;
}

bool EndsWith(const std::string& str, const std::string& strEnd)
{
    return strEnd.size() <= str.size() && str.compare(str.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

// Whether the national form ends the other's digits.
bool IsSuffixForm(const CDigits& other, const CDigits& national)
{
    if (national.bInternational)
        return false;
    const std::string& s = national.str;
    if (s.size() >= kMinSuffixDigits && EndsWith(other.str, s))
        return true;
    const bool bTrunk = s[0] == '0' || s[0] == '8';
    return bTrunk && s.size() - 1 >= kMinSuffixDigits && EndsWith(other.str, s.substr(1));
}

} // namespace

bool IsSameNumber(const WString& strA, const WString& strB)
{
    const CDigits a = Reduce(strA);
    const CDigits b = Reduce(strB);
    if (a.str.empty() || b.str.empty())
        return false;
    if (a.str == b.str)
        return true;
    return IsSuffixForm(a, b) || IsSuffixForm(b, a);
}

int FindReportedPart(const std::vector<CSentPart>& parts, const CStatusReport& report, int64_t nNow)
{
    if (!report.bDecoded)
        return -1;
    int nFound = -1;
    for (size_t i = 0; i < parts.size(); ++i) {
        const CSentPart& part = parts[i];
        if (part.state != EPartDelivery::PART_PENDING || part.nRef != report.nMr || nNow - part.nSentAt > kReportMaxAge ||
            !IsSameNumber(part.strNumber, report.strRecipient))
            continue;
        if (nFound < 0 || part.nSentAt >= parts[static_cast<size_t>(nFound)].nSentAt)
            nFound = static_cast<int>(i);
    }
    return nFound;
}

bool ApplyReport(CSentPart& part, const CStatusReport& report)
{
    if (!report.bDecoded || !IsFinalStatus(report.btStatus))
        return false;
    part.state = ClassifyStatus(report.btStatus) == EReportClass::REPORT_DELIVERED ? EPartDelivery::PART_DELIVERED : EPartDelivery::PART_FAILED;
    part.btStatus = report.btStatus;
    part.discharge = report.discharge;
    return true;
}

CDeliverySummary SummarizeDelivery(const std::vector<CSentPart>& parts)
{
    CDeliverySummary summary;
    if (parts.empty())
        return summary;
    summary.state = EMessageDelivery::DELIVERY_DELIVERED;
    for (const CSentPart& part : parts) {
        if (part.state == EPartDelivery::PART_FAILED) {
            summary.state = EMessageDelivery::DELIVERY_FAILED;
            summary.strReason = GetStatusReason(part.btStatus);
            summary.time = part.discharge;
            return summary;
        }
        if (part.state == EPartDelivery::PART_UNCONFIRMED) {
            summary.state = EMessageDelivery::DELIVERY_UNCONFIRMED;
            summary.time = CSmsTime();
            return summary;
        }
        if (part.state == EPartDelivery::PART_PENDING)
            summary.state = EMessageDelivery::DELIVERY_PENDING;
        else if (part.discharge.bValid &&
                 (!summary.time.bValid || part.discharge.ToUnixTime() > summary.time.ToUnixTime()))
            summary.time = part.discharge;
    }
    if (summary.state == EMessageDelivery::DELIVERY_PENDING)
        summary.time = CSmsTime();
    return summary;
}
