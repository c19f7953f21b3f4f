// Reading the program's own JSON files (the inbox file, the outbox), which
// anyone may have edited or damaged: numbers with checked types, and what
// went wrong in words that name the fault, never the file's bytes.
// Header only: the layers that read JSON link the library.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>

// The whole number under pszKey (CheckJsonWhole: the value itself, an
// element of the array under pszKey), from nMin to nMax. A value of another type,
// with a fraction or an exponent ("total": 1e30), negative or out of the
// range throws std::runtime_error: the file is damaged, and no number is
// ever cast out of its range.
template <class TJson>
uint64_t CheckJsonWhole(const TJson& value, const char* pszKey, uint64_t nMin, uint64_t nMax)
{
    if (!value.is_number_unsigned() || value.template get<uint64_t>() < nMin || value.template get<uint64_t>() > nMax)
        throw std::runtime_error(std::string("\"") + pszKey + "\" is not a whole number from " + std::to_string(nMin) +
                                 " to " + std::to_string(nMax));
    return value.template get<uint64_t>();
}

template <class TJson>
uint64_t ReadJsonWhole(const TJson& json, const char* pszKey, uint64_t nMin, uint64_t nMax)
{
    return CheckJsonWhole(json.at(pszKey), pszKey, nMin, nMax);
}

// The same for a key that may be absent: uDefault then.
template <class TJson>
uint64_t ReadJsonWhole(const TJson& json, const char* pszKey, uint64_t nMin, uint64_t nMax, uint64_t uDefault)
{
    return json.contains(pszKey) ? ReadJsonWhole(json, pszKey, nMin, nMax) : uDefault;
}

// An exception of reading as the user may see it: the JSON library's own
// words without its tag ("key 'sender' not found"), and for text that is no
// JSON only where it stops being JSON (its message would quote the bytes).
inline std::string DescribeJsonError(const std::exception& e)
{
    if (const auto* pParse = dynamic_cast<const nlohmann::json::parse_error*>(&e))
        return "not JSON text (at byte " + std::to_string(pParse->byte) + ")";
    const std::string strWhat = e.what();
    const size_t nTag = strWhat.compare(0, 16, "[json.exception.") == 0 ? strWhat.find("] ") : std::string::npos;
    return nTag == std::string::npos ? strWhat : strWhat.substr(nTag + 2);
}
