#include "serial/SerialOp.h"

#include <cstring>

CSerialOp::CSerialOp(EOpKind eKind, uint32_t dwSize)
    : m_eKind(eKind), pbtBuf(dwSize ? new uint8_t[dwSize]() : nullptr), dwSizeBuf(dwSize)
{
}

CSerialOp::CSerialOp(EOpKind eKind, const std::string& strData)
    : CSerialOp(eKind, static_cast<uint32_t>(strData.size()))
{
    if (!strData.empty())
        std::memcpy(pbtBuf.get(), strData.data(), strData.size());
    m_dwTransferred = static_cast<uint32_t>(strData.size());
}

std::string CSerialOp::GetData() const
{
    if (!pbtBuf)
        return std::string();
    const uint32_t dwSize = m_dwTransferred < dwSizeBuf ? m_dwTransferred : dwSizeBuf;
    return std::string(reinterpret_cast<const char*>(pbtBuf.get()), dwSize);
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
