// The pieces of the simulator's JSON-lines log, written by the JSON library.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

// A JSON string literal. Valid UTF-8 is kept; any other byte is taken as
// the code point of the same value, so the log is always valid JSON. A text
// with such bytes is written in ASCII: they show as \u00XX.
std::string JsonString(const std::string& str);

// Fields of one log object in the order added, written as "key":value pairs
// joined by commas (the line's braces and time stamp are the writer's). A
// string value is taken as JsonString takes it.
class CJsonFields {
public:
    CJsonFields& Add(const char* pszKey, const std::string& strValue);
    CJsonFields& Add(const char* pszKey, const char* pszValue) { return Add(pszKey, std::string(pszValue)); }
    CJsonFields& Add(const char* pszKey, long long nValue);
    CJsonFields& Add(const char* pszKey, int nValue) { return Add(pszKey, static_cast<long long>(nValue)); }
    CJsonFields& Add(const char* pszKey, unsigned nValue) { return Add(pszKey, static_cast<long long>(nValue)); }
    CJsonFields& Add(const char* pszKey, bool bValue);
    std::string Text() const;

private:
    nlohmann::ordered_json m_fields = nlohmann::ordered_json::object();
};
