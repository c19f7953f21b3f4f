// Texts the C++ tests build: a unit repeated, and a file path as the
// program's UTF-16 text.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "base/Text.h"

namespace test {

template <class TString>
TString RepeatUnit(const TString& strUnit, size_t n)
{
    TString str;
    for (size_t i = 0; i < n; ++i)
        str += strUnit;
    return str;
}

inline std::string Repeat(const std::string& strUnit, size_t n)
{
    return RepeatUnit(strUnit, n);
}

inline WString Repeat(const WString& strUnit, size_t n)
{
    return RepeatUnit(strUnit, n);
}

inline WString PathText(const std::filesystem::path& path)
{
#if defined(_WIN32)
    return path.wstring();
#else
    return path.u16string();
#endif
}

} // namespace test
