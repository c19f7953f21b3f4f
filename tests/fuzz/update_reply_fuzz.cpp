// The update check's reply as any server may send it: decoded as the program
// decodes a body, then read against the running version. A reply may only
// announce an update when it follows the format; the changes never carry
// white space at their ends.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "online/HttpBody.h"
#include "online/UpdateReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const WString strBody = DecodeHttpBody(std::string(reinterpret_cast<const char*>(data), size));
    const CUpdateReply reply = ReadUpdateReply(strBody, WSTR("1.0.0"));
    if (!reply.bUpdateAvailable) {
        if (!reply.strChanges.empty())
            std::abort();
        return 0;
    }
    if (strBody.compare(0, 8, WSTR("CHANGES ")) != 0)
        std::abort();
    const WString strWhite = WSTR(" \t\r\n\v\f");
    if (!reply.strChanges.empty() && (strWhite.find(reply.strChanges.front()) != WString::npos ||
                                      strWhite.find(reply.strChanges.back()) != WString::npos))
        std::abort();
    return 0;
}
