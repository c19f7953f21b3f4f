#include "serial/SerialOp.h"

#include <cstring>

CSerialOp::CSerialOp(int nKind, uint32_t dwSize)
    : m_nKind(nKind), pbtBuf(dwSize ? new uint8_t[dwSize]() : nullptr), dwSizeBuf(dwSize)
{
}

CSerialOp::CSerialOp(int nKind, const std::string& strData)
    : CSerialOp(nKind, static_cast<uint32_t>(strData.size()))
{
    if (!strData.empty())
        std::memcpy(pbtBuf.get(), strData.data(), strData.size());
}

std::string CSerialOp::GetText() const
{
    if (!pbtBuf)
        return std::string();
    const char* psz = reinterpret_cast<const char*>(pbtBuf.get());
    size_t n = 0;
    while (n < dwSizeBuf && psz[n] != '\0')
        ++n;
    return std::string(psz, n);
}
