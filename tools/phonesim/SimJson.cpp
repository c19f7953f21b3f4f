#include "SimJson.h"

#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at i, or 0.
size_t Utf8Length(const std::string& str, size_t i)
{
    const unsigned char ch = static_cast<unsigned char>(str[i]);
    size_t n = 0;
    unsigned cp = 0;
    if (ch >= 0xC2 && ch <= 0xDF) {
        n = 2;
        cp = ch & 0x1F;
    } else if (ch >= 0xE0 && ch <= 0xEF) {
        n = 3;
        cp = ch & 0x0F;
    } else if (ch >= 0xF0 && ch <= 0xF4) {
        n = 4;
        cp = ch & 0x07;
    } else {
        return 0;
    }
    if (i + n > str.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        const unsigned char cc = static_cast<unsigned char>(str[i + k]);
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

} // namespace

std::string JsonString(const std::string& str)
{
    std::string out = "\"";
    for (size_t i = 0; i < str.size(); ++i) {
        const unsigned char ch = static_cast<unsigned char>(str[i]);
        char sz[8];
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (ch == '\t') {
            out += "\\t";
        } else if (ch < 0x20 || ch == 0x7F) {
            std::snprintf(sz, sizeof(sz), "\\u%04x", ch);
            out += sz;
        } else if (ch < 0x80) {
            out += static_cast<char>(ch);
        } else if (const size_t n = Utf8Length(str, i)) {
            out.append(str, i, n);
            i += n - 1;
        } else {
            std::snprintf(sz, sizeof(sz), "\\u%04x", ch);
            out += sz;
        }
    }
    return out + "\"";
}

CJsonFields& CJsonFields::Raw(const char* pszKey, const std::string& strJson)
{
    if (!m_str.empty())
        m_str += ',';
    m_str += JsonString(pszKey) + ":" + strJson;
    return *this;
}

CJsonFields& CJsonFields::Add(const char* pszKey, const std::string& strValue)
{
    return Raw(pszKey, JsonString(strValue));
}

CJsonFields& CJsonFields::Add(const char* pszKey, long long nValue)
{
    return Raw(pszKey, std::to_string(nValue));
}

CJsonFields& CJsonFields::Add(const char* pszKey, bool bValue)
{
    return Raw(pszKey, bValue ? "true" : "false");
}
