// The recipients of one send as the user typed them and as they resolve:
// each with the token it was typed as, so that those not served can be put
// back in the recipients box as they were, and each phone once.
#pragma once

#include <string>
#include <vector>

#include "app/Contact.h"
#include "app/SendInput.h"
#include "app/SendRecord.h"
#include "base/Text.h"

// The field resolved as ResolveRecipients resolves it, token by token; a
// recipient that is the same phone as one before it (IsSameNumber) is merged
// into that one, whose form is kept, and counted in the notes. False with the
// window's message when the field cannot be sent to.
bool ResolveSendList(const WString& strField, const std::vector<CContact>& contacts,
                     std::vector<CSendRecipient>& list, CResolveNotes& notes, std::string& strError);

// A new send of the same text goes on where the send before left each
// recipient it names again (the same number and typed form): a message cut
// short continues with its next part, under the same reference, instead of
// going whole again.
void GoOnFrom(const CSendRecord& before, const WString& strText, std::vector<CSendRecipient>& list);

// Recipients whose typed form is their name, or their number when they have none.
std::vector<CSendRecipient> AsTyped(const std::vector<CContact>& contacts);
