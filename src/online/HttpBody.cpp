#include "online/HttpBody.h"

WString DecodeHttpBody(const std::string& strBytes)
{
    return IsValidUtf8(strBytes) ? Utf8ToWide(strBytes) : AnsiToWide(strBytes);
}
