// The recipients of one send as the user typed them and as they resolve:
// each with the token it was typed as, so that those not served can be put
// back in the recipients box as they were, and each phone once.
#pragma once

#include <string>
#include <vector>

#include "app/Contact.h"
#include "app/SendInput.h"
#include "base/Text.h"

struct CSendRecipient {
    WString strTyped;  // the token of the recipients box: "Anna", "0123 456"
    CContact contact;
    // A message to this recipient whose first parts went before: it goes on
    // with the same reference from the next part.
    unsigned nRef = 0;
    unsigned nPartsDone = 0;
};

// The field resolved as ResolveRecipients resolves it, token by token; a
// recipient that is the same phone as one before it (IsSameNumber) is merged
// into that one, whose form is kept, and counted in the notes. False with the
// window's message when the field cannot be sent to.
bool ResolveSendList(const WString& strField, const std::vector<CContact>& contacts,
                     std::vector<CSendRecipient>& list, CResolveNotes& notes, std::string& strError);

// The typed forms as the recipients box holds them: "222; 333".
WString JoinTyped(const std::vector<CSendRecipient>& list);

// What an earlier send left: its text, and the recipients it did not serve,
// each with what of its message went.
struct CLeftOver {
    WString strText;
    std::vector<CSendRecipient> recipients;
};

// A new send of the same text goes on where the earlier one left each
// recipient it names again (the same number and typed form): a message cut
// short continues with its next part instead of going whole again.
void GoOnFrom(const CLeftOver& left, const WString& strText, std::vector<CSendRecipient>& list);

