// One send's record: its text, held once, and one entry per recipient with
// everything known of that recipient's message (its state, the parts the
// phone accepted, the concatenation reference, the phone's reference of each
// part, why it failed). It is the only truth of a send: the send run changes
// it, the outbox keeps it on the disk, and the draft, the close question,
// the console's outcome lines and the history read it. A recipient's index
// never changes while the record lives.
#pragma once

#include <cstddef>
#include <vector>

#include "app/Contact.h"
#include "base/Text.h"

enum class ESendState {
    WAITING,        // not served yet, or refused in a way that cannot have let it go
    SUBMITTING,     // a part's PDU is going to the phone
    SENT,
    FAILED,         // refused; strReason says why
    NOT_CONFIRMED,  // a PDU went out and the phone did not say whether it was sent
};

struct CSendRecipient {
    WString strTyped;  // the token of the recipients box: "Anna", "0123 456"
    CContact contact;
    ESendState eState = ESendState::WAITING;
    // The parts the phone accepted, in order, with the reference it gave
    // each ("+CMGS: <mr>"); a message cut short goes on with the next part.
    std::vector<unsigned> partRefs;
    // The concatenation reference once a part of a message of several went.
    unsigned nRef = 0;
    WString strReason;  // why it failed, or was not confirmed

    unsigned GetPartsDone() const { return static_cast<unsigned>(partRefs.size()); }
    // Neither sent nor named as maybe sent: the next Send serves it again.
    bool IsLeft() const { return eState == ESendState::WAITING || eState == ESendState::FAILED; }
};

struct CSendRecord {
    WString strText;
    std::vector<CSendRecipient> recipients;

    size_t Count(ESendState eState) const;
    // Every recipient has an outcome.
    bool IsOver() const { return Count(ESendState::WAITING) + Count(ESendState::SUBMITTING) == 0; }
    // The recipients not served, in order, as typed, each with what of its
    // message went.
    std::vector<CSendRecipient> GetLeft() const;
    // "; sent to 1 of 3" when there is more than one recipient.
    WString DescribeProgress() const;
};

// The typed forms as the recipients box holds them: "222; 333".
WString JoinTyped(const std::vector<CSendRecipient>& list);
