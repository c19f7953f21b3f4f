// What every command that sends a text checks before anything goes to the
// phone, with the texts a user or a script gets to see.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"
#include "app/Contact.h"

// A number the PDU can carry (IsValidNumber); else false with the reason.
bool CheckNumber(const WString& strNumber, std::string& strError);
// A text without NUL (else the reason names the first one's position, in
// characters from 1) and of at most 255 parts (as CMsg::IsTooLong, without
// drawing a message reference); else false with the reason.
bool CheckText(const WString& strText, std::string& strError);

// The checks' texts as a message box or a status shows them: a sentence.
// The console tool prints them in lower case after its name.
WString AsSentence(const std::string& strText);

// Whether the recipients field names anyone from the phone book, so that the
// stored contacts are needed.
bool NamesContacts(const WString& strField);

// What a resolution did beyond the tokens themselves, for the status line.
struct CResolveNotes {
    size_t nMerged = 0;                 // recipients left out as the same number as one before
    std::vector<WString> aBoth;         // tokens that name a contact and a group: the contact was taken
};
// "2 recipients with the same number merged; 'Team' is a contact and a
// group: the contact is sent to"; empty when there is nothing to say.
WString DescribeResolveNotes(const CResolveNotes& notes);

// The recipients field resolved as the main window resolves it: split at
// semicolons, numbers as typed, names looked up in the contacts (each
// recipient then carries the contact's own name and number), then groups
// (the members in the order of their names); a token that is both a name
// and a group is the contact. The list in that order, each number once: a
// recipient whose number is the same as one before it (IsSameNumber) is left
// out, the first form kept. False with the window's message for an empty
// field or an unknown name, or with the reason for a number that cannot be
// sent; nothing is to be sent then.
bool ResolveRecipients(const WString& strField, const std::vector<CContact>& contacts,
                       std::vector<CContact>& recipients, std::string& strError, CResolveNotes* pNotes = nullptr);
// The members of a group, each number once; false when it has none.
bool ResolveGroup(const WString& strGroup, const std::vector<CContact>& contacts, std::vector<CContact>& recipients,
                  std::string& strError, CResolveNotes* pNotes = nullptr);
