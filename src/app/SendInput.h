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

// Whether the recipients field names anyone from the phone book, so that the
// stored contacts are needed.
bool NamesContacts(const WString& strField);

// The recipients field resolved as the main window resolves it: split at
// semicolons, numbers as typed, names looked up in the contacts (each
// recipient then carries the contact's own name and number). False with the
// window's message for an empty field or an unknown name, or with the reason
// for a number that cannot be sent; nothing is to be sent then.
bool ResolveRecipients(const WString& strField, const std::vector<CContact>& contacts,
                       std::vector<CContact>& recipients, std::string& strError);
