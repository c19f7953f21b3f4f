// The inbox file as any bytes: read whole or refused with a reason that
// names the fault in plain words (never the file's bytes), the inbox given
// left as it was; what is read writes out and reads back the same.
//
// Input: the file's bytes.
#include <cstdint>
#include <string>

#include "FuzzInput.h"
#include "sms/InboxFile.h"

namespace {

bool IsPlainText(const std::string& str)
{
    for (char ch : str) {
        if (static_cast<unsigned char>(ch) < 0x20 || static_cast<unsigned char>(ch) >= 0x7F)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CInbox inbox;
    const std::string strBefore = FormatInbox(inbox);
    std::string strError;
    if (!ParseInbox(std::string(reinterpret_cast<const char*>(data), size), inbox, strError)) {
        Check(!strError.empty() && IsPlainText(strError) && FormatInbox(inbox) == strBefore);
        return 0;
    }
    for (const CReceivedMsg& msg : inbox.GetMessages()) {
        for (const CReceivedPart& part : msg.parts)
            Check(part.nPart >= 1 && part.nPart <= msg.nTotal);
    }
    const std::string strWritten = FormatInbox(inbox);
    CInbox again;
    Check(ParseInbox(strWritten, again, strError) && FormatInbox(again) == strWritten);
    return 0;
}
