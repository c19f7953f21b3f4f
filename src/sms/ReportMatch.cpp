#include "sms/ReportMatch.h"

namespace {

const size_t kMinNationalDigits = 7;

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

// The length of the country code an international number begins with: the
// codes are prefix-free, 1 and 7 of one digit, these of two, all others of
// three.
size_t CountryCodeLength(const std::string& str)
{
    static const char* const kTwoDigitCodes[] = {"20", "27", "30", "31", "32", "33", "34", "36", "39", "40", "41",
                                                 "43", "44", "45", "46", "47", "48", "49", "51", "52", "53", "54",
                                                 "55", "56", "57", "58", "60", "61", "62", "63", "64", "65", "66",
                                                 "81", "82", "84", "86", "90", "91", "92", "93", "94", "95", "98"};
    if (str.compare(0, 1, "1") == 0 || str.compare(0, 1, "7") == 0)
        return 1;
    for (const char* pszCode : kTwoDigitCodes)
        if (str.compare(0, 2, pszCode) == 0)
            return 2;
    return 3;
}

// The national digits a national number can stand for: as it is, and without
// a trunk prefix 0 or 8; only those long enough to tell.
std::vector<std::string> NationalForms(const std::string& str)
{
    std::vector<std::string> forms;
    if (str.size() >= kMinNationalDigits)
        forms.push_back(str);
    if (!str.empty() && (str[0] == '0' || str[0] == '8') && str.size() - 1 >= kMinNationalDigits)
        forms.push_back(str.substr(1));
    return forms;
}

std::vector<std::string> NationalDigits(const CDigits& digits)
{
    if (!digits.bInternational)
        return NationalForms(digits.str);
    const size_t nCode = CountryCodeLength(digits.str);
    if (digits.str.size() < nCode + kMinNationalDigits)
        return {};
    return {digits.str.substr(nCode)};
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
    if (a.bInternational && b.bInternational)
        return false;
    for (const std::string& strNationalA : NationalDigits(a))
        for (const std::string& strNationalB : NationalDigits(b))
            if (strNationalA == strNationalB)
                return true;
    return false;
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
