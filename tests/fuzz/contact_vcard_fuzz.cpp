// A contact file to import that begins as a vCard: the reader's cards,
// folded lines, QUOTED-PRINTABLE values and charsets on any bytes after
// BEGIN:VCARD, with the invariants of contact_csv_fuzz.
//
// Input: the file's bytes after "BEGIN:VCARD\r\n".
#include "contact_file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzContactFile("BEGIN:VCARD\r\n" + std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
