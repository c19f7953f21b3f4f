// The pieces of the simulator's JSON-lines log.
#pragma once

#include <string>

// A JSON string literal. Valid UTF-8 is kept; any other byte is written as
// the code point of the same value, so the log is always valid JSON.
std::string JsonString(const std::string& str);

// Fields of one log object, written as "key":value pairs joined by commas.
class CJsonFields {
public:
    CJsonFields& Add(const char* pszKey, const std::string& strValue);
    CJsonFields& Add(const char* pszKey, const char* pszValue) { return Add(pszKey, std::string(pszValue)); }
    CJsonFields& Add(const char* pszKey, long long nValue);
    CJsonFields& Add(const char* pszKey, int nValue) { return Add(pszKey, static_cast<long long>(nValue)); }
    CJsonFields& Add(const char* pszKey, unsigned nValue) { return Add(pszKey, static_cast<long long>(nValue)); }
    CJsonFields& Add(const char* pszKey, bool bValue);
    const std::string& Text() const { return m_str; }

private:
    CJsonFields& Raw(const char* pszKey, const std::string& strJson);
    std::string m_str;
};
