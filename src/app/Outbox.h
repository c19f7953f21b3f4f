// The outbox: a send's text and recipients, each with its state, kept in a
// journal file of its own in the program's data folder from before the
// first part goes until every recipient has an outcome. Each state is
// written before the step it names ("submitting" on the disk before the PDU
// goes), so a crash, a kill or a power cut loses at most the knowledge of one
// submission, which the next start counts as not confirmed. The next start
// finds what a program that is gone left, and puts it back in the window.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/JournalFile.h"
#include "base/Text.h"

enum class EOutboxState {
    WAITING,        // not served yet
    SUBMITTING,     // a part's PDU is going to the phone
    SENT,
    FAILED,         // refused; strReason says why
    NOT_CONFIRMED,  // a PDU went out and the phone did not say whether it was sent
};

struct COutboxRecipient {
    WString strTyped;   // as the user typed it: "Anna", "0123 456789"
    WString strName;
    WString strNumber;
    EOutboxState eState = EOutboxState::WAITING;
    WString strReason;
    unsigned nRef = 0;    // the message's reference once a part went out
    unsigned nParts = 0;  // the parts the phone acknowledged
};

struct COutboxEntry {
    WString strText;
    std::vector<COutboxRecipient> recipients;

    size_t Count(EOutboxState eState) const;
    // Every recipient has an outcome.
    bool IsOver() const { return Count(EOutboxState::WAITING) + Count(EOutboxState::SUBMITTING) == 0; }
};

// The journal's lines: the entry first, then one line per change of a recipient.
std::string FormatOutboxEntry(const COutboxEntry& entry);
std::string FormatOutboxChange(size_t nIndex, const COutboxRecipient& recipient);
// A journal read back: NO_ENTRY when its first line is none, NEWER when a
// later version wrote it (that version restores it). The lines after it are
// applied until one that cannot be read (the last, torn by a crash); a
// recipient left submitting is not confirmed.
enum class EOutboxRead { READ, NO_ENTRY, NEWER };
EOutboxRead ReadOutboxJournal(const std::string& strData, COutboxEntry& entry);
// "Restored a message that was not sent to everyone: sent to 2, waiting 3,
// not confirmed 1 (0123456789)"; failed ones are counted as waiting, since
// they are put back too.
WString DescribeRestored(const COutboxEntry& entry);

class COutbox {
public:
    // strFolder: the program's data folder, ending in a path separator.
    explicit COutbox(const WString& strFolder) : m_strFolder(strFolder) {}

    // A new send's entry, written before anything goes to the phone; the
    // entry before is over then. False, with the reason, when it cannot be
    // kept (the send may go on without it).
    bool Begin(const COutboxEntry& entry, std::string& strError);
    // A recipient's new state, on the disk first when it is "submitting".
    bool Mark(size_t nIndex, const COutboxRecipient& recipient, std::string& strError);
    // The entry is over (or the user let it go): its journal is removed.
    void End();
    bool IsKept() const { return m_journal.IsOpen(); }

    // What programs that are gone left: the entry with recipients still to
    // serve, or not confirmed, becomes this outbox's own (until Begin or
    // End); the others, and those with nothing left to serve or name, are
    // removed. False when there is none.
    bool TakeLeft(COutboxEntry& entry);

private:
    WString m_strFolder;
    CJournalFile m_journal;
    unsigned m_nCreated = 0;
};
