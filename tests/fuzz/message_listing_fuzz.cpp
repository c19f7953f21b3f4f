// Fuzz target of the phone's listing of stored messages: the lines of a
// "+CMGL" reply or of "+CMGR" answers (with "+CDS", "+CDSI" and "+CPMS" lines
// among them), the PDUs they give decoded and joined as a download would.
//
// Input: the phone's output, cut into reads of 1 to 16 bytes by the first
// byte.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "phone/MessageListing.h"
#include "phone/PhoneReply.h"
#include "sms/Inbox.h"
#include "sms/PduReader.h"
#include "sms/StatusReport.h"

namespace {

void Check(bool bOk)
{
    if (!bOk)
        std::abort();
}

bool IsHeader(const std::string& strLine)
{
    return strLine.compare(0, 6, "+CMGL:") == 0 || strLine.compare(0, 6, "+CMGR:") == 0 ||
           (strLine.compare(0, 5, "+CDS:") == 0 && strLine.find(',') == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string strInput(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t nRead = 1 + data[0] % 16;
    CReplyLines reply(2048);
    std::vector<std::string> lines;
    for (size_t i = 0; i < strInput.size(); i += nRead)
        reply.Feed(strInput.substr(i, nRead), lines);

    CMessageListing listing;
    size_t nHeaders = 0;
    for (const std::string& strLine : lines) {
        nHeaders += IsHeader(strLine) ? 1 : 0;
        listing.Feed(strLine);
        std::vector<CStorageStatus> storages;
        if (ParseStorageStatus(strLine, storages))
            Check(!storages.empty() && GetStoragesToRead(storages).size() <= 3);
        CAnnounced announced;
        if (ParseAnnouncement(strLine, announced))
            Check(!announced.strStorage.empty());
    }
    listing.Finish();
    // Every header gives an entry; one that is not complete says why.
    const std::vector<CListedPdu>& pdus = listing.GetPdus();
    Check(pdus.size() == nHeaders);
    CInbox inbox;
    size_t nAdded = 0;
    size_t nDuplicates = 0;
    for (const CListedPdu& pdu : pdus) {
        Check(pdu.bComplete ? pdu.strHex.size() % 2 == 0 : !pdu.strNote.empty());
        if (GetListedPduType(pdu.strHex) == 2) {
            const CStatusReport report = DecodeStatusReport(pdu.strHex);
            Check(report.bDecoded || !report.strNote.empty());
            continue;
        }
        const CInbox::EAdded added = inbox.Add(DecodeDeliverPdu(pdu.strHex));
        (added == CInbox::EAdded::ADDED_DUPLICATE ? nDuplicates : nAdded) += 1;
    }
    // Every PDU is a part of a message, or the duplicate of one.
    size_t nParts = 0;
    for (const CReceivedMsg& msg : inbox.GetMessages()) {
        nParts += msg.parts.size();
        Check(msg.parts.size() <= msg.nTotal);
        msg.GetText();
    }
    Check(nParts == nAdded);
    return 0;
}
