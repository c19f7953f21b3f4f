#include "SimJson.h"

namespace {

// The library refuses to write text that is no UTF-8; a sequence it
// refuses is taken byte by byte instead.
bool IsUtf8(const std::string& str)
{
    try {
        nlohmann::json(str).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

// Valid UTF-8 as it is; any other byte as the code point of its value.
std::string AsUtf8(const std::string& str)
{
    std::string out;
    for (size_t i = 0; i < str.size();) {
        const unsigned char ch = static_cast<unsigned char>(str[i]);
        const size_t n = ch < 0x80 ? 1 : ch >= 0xF0 ? 4 : ch >= 0xE0 ? 3 : 2;
        if (ch < 0x80 || IsUtf8(str.substr(i, n))) {
            out.append(str, i, n);
            i += n;
            continue;
        }
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
        ++i;
    }
    return out;
}

} // namespace

std::string JsonString(const std::string& str)
{
    const std::string strUtf8 = AsUtf8(str);
    return nlohmann::json(strUtf8).dump(-1, ' ', strUtf8 != str);
}

CJsonFields& CJsonFields::Add(const char* pszKey, const std::string& strValue)
{
    m_fields[pszKey] = AsUtf8(strValue);
    return *this;
}

CJsonFields& CJsonFields::Add(const char* pszKey, long long nValue)
{
    m_fields[pszKey] = nValue;
    return *this;
}

CJsonFields& CJsonFields::Add(const char* pszKey, bool bValue)
{
    m_fields[pszKey] = bValue;
    return *this;
}

std::string CJsonFields::Text() const
{
    const std::string strObject = m_fields.dump();
    return strObject.substr(1, strObject.size() - 2);  // without the braces
}
