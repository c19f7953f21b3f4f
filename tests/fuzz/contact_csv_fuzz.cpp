// A contact file to import, as CSV (or whatever the bytes are): it is read
// whole or refused with a reason, every row has its line, the import's
// counts add up, every contact it would keep passes the window's checks,
// and the contacts exported as CSV and vCard and imported into an empty
// list come back the same.
//
// Input: the file's bytes.
#include "contact_file_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzContactFile(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
