// The outbox: a send's record (CSendRecord) kept in a journal file of its
// own in the program's data folder from before the first part goes until
// every recipient has an outcome. Each change of a recipient is written
// before the step it names ("submitting" on the disk before the PDU goes, or
// the PDU does not go), with the parts the phone accepted and their
// references, so a crash, a kill or a power cut loses at most the knowledge
// of one submission, which the next start counts as not confirmed, and a
// message cut between its parts goes on with its next part under the same
// reference. The next start finds what a program that is gone left, and
// puts it back in the window.
#pragma once

#include <string>

#include "app/SendRecord.h"
#include "base/JournalFile.h"
#include "base/Text.h"

// The journal's lines: the record first (strReplaces: the name of the
// journal of the send before, whose recipients left this one carries on),
// then one line per change of a recipient, each with the whole of that
// recipient's state.
std::string FormatOutboxEntry(const CSendRecord& record, const WString& strReplaces = WString());
std::string FormatOutboxChange(size_t nIndex, const CSendRecipient& recipient);
// A journal read back: NO_ENTRY when its first line is none, NEWER when a
// later version wrote it (that version restores it). The lines after it are
// applied until one that cannot be read (the last, torn by a crash); a
// recipient left submitting is not confirmed.
enum class EOutboxRead { READ, NO_ENTRY, NEWER };
EOutboxRead ReadOutboxJournal(const std::string& strData, CSendRecord& record, WString* pReplaces = nullptr);
// "Restored a message that was not sent to everyone: sent to 2, waiting 3,
// not confirmed 1 (0123456789)"; failed ones are counted as waiting, since
// they are put back too.
WString DescribeRestored(const CSendRecord& record);

class COutbox {
public:
    // strFolder: the program's data folder, ending in a path separator.
    explicit COutbox(const WString& strFolder) : m_strFolder(strFolder) {}

    // A new send's record, written before anything goes to the phone; the
    // entry before is over then (it goes once the new one is on the disk).
    // False, with the system's words, when it cannot be kept: the entry
    // before stays.
    bool Begin(const CSendRecord& record, std::string& strError);
    // A recipient's new state, on the disk first when it is "submitting".
    // False, with the system's words, when it could not be written.
    bool Mark(size_t nIndex, const CSendRecipient& recipient, std::string& strError);
    // The entry is over (or the user let it go): its journal is removed.
    void End();
    bool IsKept() const { return m_journal.IsOpen(); }

    // What programs that are gone left: the entry with recipients still to
    // serve, or not confirmed, becomes this outbox's own (until Begin or
    // End), taken over while still held, so that of two programs starting
    // at once only one restores it; the others with nothing left to serve or
    // name, and those a later entry replaces, are removed. False when there
    // is none.
    bool TakeLeft(CSendRecord& record);

private:
    WString m_strFolder;
    CJournalFile m_journal;
    unsigned m_nCreated = 0;
};
