// The outbox journal as any bytes: a record, a newer version's or none; a
// record read has every recipient in a state a restore knows (none is left
// submitting) and its numbers in range, and written again as its first line
// and one change per recipient it reads back the same.
//
// Input: the journal's bytes.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "app/Outbox.h"

namespace {

std::string Journal(const CSendRecord& record, const WString& strReplaces)
{
    std::string str = FormatOutboxEntry(record, strReplaces) + "\n";
    for (size_t i = 0; i < record.recipients.size(); ++i)
        str += FormatOutboxChange(i, record.recipients[i]) + "\n";
    return str;
}

bool Same(const CSendRecord& a, const CSendRecord& b)
{
    if (a.strText != b.strText || a.recipients.size() != b.recipients.size())
        return false;
    for (size_t i = 0; i < a.recipients.size(); ++i) {
        const CSendRecipient& x = a.recipients[i];
        const CSendRecipient& y = b.recipients[i];
        if (x.strTyped != y.strTyped || x.contact.m_strName != y.contact.m_strName ||
            x.contact.m_strNumber != y.contact.m_strNumber || x.eState != y.eState || x.strReason != y.strReason ||
            x.nRef != y.nRef || x.partRefs != y.partRefs)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CSendRecord record;
    WString strReplaces;
    if (ReadOutboxJournal(std::string(reinterpret_cast<const char*>(data), size), record, &strReplaces) !=
        EOutboxRead::READ)
        return 0;
    for (const CSendRecipient& recipient : record.recipients) {
        Check(recipient.eState != ESendState::SUBMITTING && recipient.nRef <= 0xFFFF);
        for (unsigned nMr : recipient.partRefs)
            Check(nMr <= 255);
    }
    // Texts that are no UTF-8 come back with replacement characters: compare from the second round.
    CSendRecord once, twice;
    WString strOnce, strTwice;
    Check(ReadOutboxJournal(Journal(record, strReplaces), once, &strOnce) == EOutboxRead::READ);
    Check(ReadOutboxJournal(Journal(once, strOnce), twice, &strTwice) == EOutboxRead::READ && Same(once, twice) &&
          strOnce == strTwice);
    return 0;
}
