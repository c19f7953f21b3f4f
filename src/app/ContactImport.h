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

// The text of a file as the readers take it.
struct CImportText {
    WString str;
    bool bBytes = false;  // neither UTF-8 nor UTF-16: a character per byte (U+0000 to U+00FF)
};

// The text of a file: UTF-16 with a byte order mark, or without one when
// its zero bytes say so; UTF-8 with or without a mark; else 8-bit text, a
// character per byte, for the reader to read in the encoding it finds
// declared or assumes. False with the reason for a binary file (NUL bytes
// in 8-bit text), a UTF-8 mark before other bytes, or a file larger than
// kMaxImportBytes.
bool DecodeImportText(const std::string& strBytes, CImportText& text, std::string& strError);
// The contacts of a file: a vCard when it begins with BEGIN:VCARD, else
// CSV (8-bit CSV read as Windows-1252). False with the reason when it
// cannot be read, or holds no contact. fnProgress hears how far the reader
// has come and may stop it (false).
bool ReadContactFile(const std::string& strBytes, CContactFile& file, std::string& strError,
                     const FnReadProgress& fnProgress = FnReadProgress());

// How far an import's reading has come, from 0 to 1; false stops it.
typedef std::function<bool(double dDone)> FnImportProgress;
// The same from the file's path: a file larger than kMaxImportBytes is
// refused before any of it is read. False with the reason ("no such file",
// ...), also when fnProgress stopped it.
bool ReadContactPath(const WString& strPath, CContactFile& file, std::string& strError,
                     const FnImportProgress& fnProgress = FnImportProgress());

struct CImportPlan {
    size_t nRows = 0;
    size_t nNew = 0;
    size_t nUpdated = 0;    // a contact of that name whose number or groups change
    size_t nUnchanged = 0;  // a contact of that name with that number and those groups
    size_t nRefused = 0;
    std::vector<std::string> aRefusals;  // "line 17: no number", in the order of the file
    // What was read otherwise than written: "read as Windows-1252", "2 fax or
    // pager numbers not imported", then by line ("line 9: the group '42' is
    // named like a number: left out").
    std::vector<std::string> aNotes;
    std::vector<CContact> contacts;      // the list once imported
};

// What importing the file's rows into the contacts would do. A row gives
// the contact of its name (compared as FindContact does; a row without a
// name is named by its number): a new one is the user's own; one that
// exists takes the row's number and gains its groups, and becomes the
// user's own when either changes. A ';' in a name becomes ',' and a group
// the program cannot hold is left out, each with a note. A row is refused
// with its line for no number, a number that cannot be sent, a name that
// holds a control character, a name that an earlier row has, too many
// groups, or when the list would pass CContactStore::kMaxContacts.
CImportPlan PlanImport(const std::vector<CContact>& contacts, const CContactFile& file);
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
