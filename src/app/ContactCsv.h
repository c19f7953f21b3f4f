// Contacts in CSV, as spreadsheets and address books write them: commas or
// semicolons (as the locale has it) or tabs between the fields, quoted
// fields that hold separators, quotes ("") and line breaks.
#pragma once

#include <string>
#include <vector>

#include "base/Text.h"
#include "app/Contact.h"
#include "app/ContactRow.h"

// The rows of a CSV text. The separator is the one the first row uses most
// (outside quotes). A first row that names a name column (name, full name,
// first/given name, last name/surname, ...) and a number column (phone,
// mobile, cell, number, tel, ...) is a header, and its group or category
// columns give the groups; without one the columns are name, number and
// groups. A mobile column is taken before any other number column, the
// first that holds a number. Empty rows are skipped; a row with a NUL or an
// open quote is refused with its line. A field an export defused
// (CCsvWriter::Defuse) reads as it was.
std::vector<CContactRow> ReadContactsCsv(const WString& strText, const FnReadProgress& fnProgress = FnReadProgress());

// "Name,Number,Groups" and a row per contact (groups separated by ';'), as
// CCsvWriter writes them.
std::string FormatContactsCsv(const std::vector<CContact>& contacts, WChar chSeparator);
