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
// first/given name, last name/surname, ...) and a phone column (phone,
// mobile, cell, number, tel, fax, ... in English, German, French, Spanish,
// Italian, Portuguese, Dutch and Russian, as exports write them) is a
// header: its group or category columns give the groups, its phone columns
// the numbers, of the kind the column's name says or its type column ("Phone
// 1 - Type" for "Phone 1 - Value"); a cell's numbers separated by ":::" are
// several. Without a header the columns are name, number and groups. A
// row's numbers become rows as AddNumberRows makes them. Empty rows are
// skipped; a row with a NUL or an open quote is refused with its line. A
// field an export defused (CCsvWriter::Defuse) reads as it was.
CContactFile ReadContactsCsv(const WString& strText, const FnReadProgress& fnProgress = FnReadProgress());

// "Name,Number,Groups" and a row per contact (groups separated by ';'), as
// CCsvWriter writes them.
std::string FormatContactsCsv(const std::vector<CContact>& contacts, WChar chSeparator);
