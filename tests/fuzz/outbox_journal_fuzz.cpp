// The outbox journal as any bytes: an entry, a newer version's or none; an
// entry read has every recipient in a state a restore knows (none is left
// submitting), and written again as its first line and one change per
// recipient it reads back the same.
//
// Input: the journal's bytes.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "app/Outbox.h"

namespace {

std::string Journal(const COutboxEntry& entry)
{
    std::string str = FormatOutboxEntry(entry) + "\n";
    for (size_t i = 0; i < entry.recipients.size(); ++i)
        str += FormatOutboxChange(i, entry.recipients[i]) + "\n";
    return str;
}

bool Same(const COutboxEntry& a, const COutboxEntry& b)
{
    if (a.strText != b.strText || a.recipients.size() != b.recipients.size())
        return false;
    for (size_t i = 0; i < a.recipients.size(); ++i) {
        const COutboxRecipient& x = a.recipients[i];
        const COutboxRecipient& y = b.recipients[i];
        if (x.strTyped != y.strTyped || x.strName != y.strName || x.strNumber != y.strNumber || x.eState != y.eState ||
            x.strReason != y.strReason || x.nRef != y.nRef || x.nParts != y.nParts)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    COutboxEntry entry;
    if (ReadOutboxJournal(std::string(reinterpret_cast<const char*>(data), size), entry) != EOutboxRead::READ)
        return 0;
    for (const COutboxRecipient& recipient : entry.recipients)
        Check(recipient.eState != EOutboxState::SUBMITTING && recipient.nRef <= 0xFFFF && recipient.nParts <= 255);
    // Texts that are no UTF-8 come back with replacement characters: compare from the second round.
    COutboxEntry once, twice;
    Check(ReadOutboxJournal(Journal(entry), once) == EOutboxRead::READ);
    Check(ReadOutboxJournal(Journal(once), twice) == EOutboxRead::READ && Same(once, twice));
    return 0;
}
