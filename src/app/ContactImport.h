// Importing and exporting the contact list: a file is read whole and what
// the import would do is shown before anything is stored; an export written
// and imported again gives the same contacts.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/Text.h"
#include "app/Contact.h"
#include "app/ContactRow.h"

// Larger files are refused unread: no address book of people one texts is.
const size_t kMaxImportBytes = 16 * 1024 * 1024;

// The text of a file: UTF-8 with or without a byte order mark, or UTF-16
// with one. False with the reason for anything else (another encoding, a
// binary file) or a file larger than kMaxImportBytes.
bool DecodeImportText(const std::string& strBytes, WString& strText, std::string& strError);
// The rows of a file: a vCard when it begins with BEGIN:VCARD, else CSV.
// False with the reason when it cannot be read, or holds no contact.
// fnProgress hears how far the reader has come and may stop it (false).
bool ReadContactFile(const std::string& strBytes, std::vector<CContactRow>& rows, std::string& strError,
                     const FnReadProgress& fnProgress = FnReadProgress());

// How far an import's reading has come, from 0 to 1; false stops it.
typedef std::function<bool(double dDone)> FnImportProgress;
// The same from the file's path: a file larger than kMaxImportBytes is
// refused before any of it is read. False with the reason ("no such file",
// ...), also when fnProgress stopped it.
bool ReadContactPath(const WString& strPath, std::vector<CContactRow>& rows, std::string& strError,
                     const FnImportProgress& fnProgress = FnImportProgress());

struct CImportPlan {
    size_t nRows = 0;
    size_t nNew = 0;
    size_t nUpdated = 0;    // a contact of that name whose number or groups change
    size_t nUnchanged = 0;  // a contact of that name with that number and those groups
    size_t nRefused = 0;
    std::vector<std::string> aRefusals;  // "line 17: no number", in the order of the file
    std::vector<CContact> contacts;      // the list once imported
};

// What importing the rows into the contacts would do. A row gives the
// contact of its name (compared as FindContact does; a row without a name
// is named by its number): a new one is the user's own; one that exists
// takes the row's number and gains its groups, and becomes the user's own
// when either changes. A row is refused with its line for no number, a
// number that cannot be sent, a name that holds ';' or a control character,
// a bad group name, a name that an earlier row has, or when the list would
// pass CContactStore::kMaxContacts.
CImportPlan PlanImport(const std::vector<CContact>& contacts, const std::vector<CContactRow>& rows);
// "142 contacts: 130 new, 9 updated, 3 refused" (", 2 unchanged" before
// the refused when there are such).
std::string DescribeImport(const CImportPlan& plan);

// What the Contacts window and an import check in a contact: a name without
// ';' or control characters, a number that can be sent, good group names.
bool CheckContact(const CContact& contact, std::string& strError);

// The contacts of a group (all of them for an empty name), in list order,
// as CSV (FormatContactsCsv, with that separator) or vCard 3.0
// (FormatContactsVcard).
std::string FormatContactsFile(const std::vector<CContact>& contacts, const WString& strGroup, bool bVcard,
                               WChar chSeparator);
