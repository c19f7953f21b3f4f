#include "base/FileError.h"

#if defined(_WIN32)
#include <windows.h>

#include "base/Text.h"
#include "base/Util.h"
#else
#include <cstring>
#endif

std::string SystemErrorText(unsigned long nError)
{
#if defined(_WIN32)
    std::string str = TrimWhite(WideToUtf8(GetSystemErrorText(nError)));
    if (!str.empty() && str.back() == '.')
        str.pop_back();
    return str + " (error " + std::to_string(nError) + ")";
#else
    return std::strerror(static_cast<int>(nError));
#endif
}

std::string FileErrorText(const char* pszStep, unsigned long nError)
{
    return std::string(pszStep) + ": " + SystemErrorText(nError);
}
