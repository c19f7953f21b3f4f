// Fuzz target of the SMS-STATUS-REPORT decoder and the matching of a report
// to the parts sent.
//
// Input: as deliver_fuzz: an even first byte, the hex text follows; odd,
// the octets.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sms/PduReader.h"
#include "sms/ReportMatch.h"

namespace {

void Check(bool bOk)
{
    if (!bOk)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string strHex(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1)
        strHex = OctetsToHex(strHex);
    const CStatusReport report = DecodeStatusReport(strHex);
    Check(report.strHex.size() == strHex.size());
    Check(report.bDecoded || !report.strNote.empty());
    Check(!GetStatusReason(report.btStatus).empty());
    Check(report.nMr <= 255);

    // Parts to the report's recipient and others, with its reference and others.
    std::vector<CSentPart> parts(4);
    const int64_t nNow = 1715951589;
    for (size_t i = 0; i < parts.size(); ++i) {
        parts[i].strNumber = i % 2 ? report.strRecipient : WString(WSTR("+4917012345"));
        parts[i].nRef = i < 2 ? report.nMr : (report.nMr + 1) % 256;
        parts[i].nSentAt = nNow - static_cast<int64_t>(i) * 3600;
    }
    const int nFound = FindReportedPart(parts, report, nNow);
    Check(nFound >= -1 && nFound < static_cast<int>(parts.size()));
    if (nFound >= 0) {
        CSentPart& part = parts[static_cast<size_t>(nFound)];
        Check(report.bDecoded && part.nRef == report.nMr);
        Check(ApplyReport(part, report) == IsFinalStatus(report.btStatus));
        Check(FindReportedPart(parts, report, nNow) != nFound || part.state == EPartDelivery::PART_PENDING);
    }
    const CDeliverySummary summary = SummarizeDelivery(parts);
    Check(summary.state != EMessageDelivery::DELIVERY_NOT_REQUESTED);
    return 0;
}
