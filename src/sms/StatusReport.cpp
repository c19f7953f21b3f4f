#include "sms/StatusReport.h"

#include <cstdio>

#include "sms/PduReader.h"

namespace {

struct CReason {
    uint8_t btStatus;
    const char* pszReason;
};

// The values TS 23.040 defines; the temporary errors come twice, while the
// service centre still tries (0x2n) and after it gave up (0x6n).
const CReason kReasons[] = {
    {0x00, "delivered"},
    {0x01, "forwarded, delivery not confirmed"},
    {0x02, "replaced by the service centre"},
    {0x20, "network congestion"},
    {0x21, "recipient busy"},
    {0x22, "no response from the recipient"},
    {0x23, "service rejected"},
    {0x24, "quality of service not available"},
    {0x25, "error in the recipient's phone"},
    {0x40, "remote procedure error"},
    {0x41, "incompatible destination"},
    {0x42, "connection rejected by the recipient"},
    {0x43, "number not obtainable"},
    {0x44, "quality of service not available"},
    {0x45, "no interworking available"},
    {0x46, "validity period expired"},
    {0x47, "deleted by the sender"},
    {0x48, "deleted by the service centre"},
    {0x49, "message does not exist"},
};

void AddNote(std::string& strNotes, const char* pszNote)
{
    if (!strNotes.empty())
        strNotes += "; ";
    strNotes += pszNote;
}

bool Decode(const std::string& strOctets, CStatusReport& report)
{
    CPduReader reader(strOctets);
    CSmsAddress smsc;
    uint8_t btFirst = 0;
    if (!reader.ServiceCentre(smsc) || !reader.Octet(btFirst)) {
        AddNote(report.strNote, "service-centre address malformed or cut off");
        return false;
    }
    report.strSmsc = smsc.strText;
    if ((btFirst & 0x03) != 2) {
        AddNote(report.strNote, "not a status report");
        return false;
    }
    uint8_t btMr = 0;
    CSmsAddress recipient;
    if (!reader.Octet(btMr) || !reader.Address(recipient)) {
        AddNote(report.strNote, "recipient address malformed or cut off");
        return false;
    }
    report.nMr = btMr;
    report.strRecipient = recipient.strText;
    report.btRecipientType = recipient.btType;
    if (!reader.Timestamp(report.scts) || !reader.Timestamp(report.discharge) || !reader.Octet(report.btStatus)) {
        AddNote(report.strNote, "PDU ends before the status");
        return false;
    }
    if (!report.scts.bValid || !report.discharge.bValid)
        AddNote(report.strNote, "invalid time stamp");
    return true;
}

} // namespace

EReportClass ClassifyStatus(uint8_t btStatus)
{
    if (btStatus & 0x80)
        return EReportClass::REPORT_FAILED;
    switch (btStatus >> 5) {
    case 0: return EReportClass::REPORT_DELIVERED;
    case 1: return EReportClass::REPORT_TRYING;
    case 2: return EReportClass::REPORT_FAILED;
    default: return EReportClass::REPORT_GAVE_UP;
    }
}

std::string GetStatusReason(uint8_t btStatus)
{
    // The temporary errors after the service centre gave up read as those it still retries.
    const uint8_t btKey = (btStatus >= 0x60 && btStatus <= 0x65) ? static_cast<uint8_t>(btStatus - 0x40) : btStatus;
    for (const CReason& reason : kReasons)
        if (reason.btStatus == btKey)
            return reason.pszReason;
    char sz[16];
    std::snprintf(sz, sizeof(sz), "status 0x%02X", btStatus);
    return sz;
}

CStatusReport DecodeStatusReport(const std::string& strHex)
{
    CStatusReport report;
    report.strHex = strHex;
    std::string strOctets;
    if (!HexToOctets(strHex, strOctets)) {
        AddNote(report.strNote, "not a PDU in hex");
        return report;
    }
    report.strHex = OctetsToHex(strOctets);
    report.bDecoded = Decode(strOctets, report);
    return report;
}
