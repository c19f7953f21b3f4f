// What the fuzz targets share: the abort that marks a broken invariant, and
// the readers that turn the fuzzer's bytes into the kinds of input a parser
// takes (UTF-16 text, fields cut at a separator).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/Text.h"

// A broken invariant is a crash to the fuzzer, with the input kept.
inline void Check(bool bOk)
{
    if (!bOk)
        std::abort();
}

// Consumes the input from the front.
class CFuzzInput {
public:
    CFuzzInput(const uint8_t* data, size_t size) : m_p(data), m_n(size) {}

    bool Empty() const { return m_n == 0; }
    uint8_t Byte()
    {
        if (!m_n)
            return 0;
        --m_n;
        return *m_p++;
    }
    // The rest as bytes.
    std::string Rest()
    {
        std::string str(reinterpret_cast<const char*>(m_p), m_n);
        m_p += m_n;
        m_n = 0;
        return str;
    }
    // UTF-16 code units, little-endian pairs of bytes, up to the unit
    // wEnd (not included) or the end of the input; any unit may come,
    // lone surrogates and NUL included.
    WString Units(uint16_t wEnd = 0xFFFF)
    {
        WString str;
        while (m_n >= 2) {
            const uint16_t w = static_cast<uint16_t>(m_p[0] | (m_p[1] << 8));
            m_p += 2;
            m_n -= 2;
            if (w == wEnd)
                break;
            str += static_cast<WChar>(w);
        }
        if (m_n == 1)
            Byte();
        return str;
    }

private:
    const uint8_t* m_p;
    size_t m_n;
};

// Cuts bytes at a separator byte.
inline std::vector<std::string> SplitBytes(const std::string& str, char chSeparator)
{
    std::vector<std::string> parts;
    size_t nStart = 0;
    for (;;) {
        const size_t nEnd = str.find(chSeparator, nStart);
        parts.push_back(str.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart));
        if (nEnd == std::string::npos)
            return parts;
        nStart = nEnd + 1;
    }
}
