#include "serial/SerialPortException.h"

#include <string>

#if defined(_WIN32)
#include "base/Util.h"

WString CSerialPortException::GetErrorText() const
{
    return GetSystemErrorText(m_dwError);
}
#else
WString CSerialPortException::GetErrorText() const
{
    return Utf8ToWide("Error " + std::to_string(m_dwError));
}
#endif

namespace {

// The Win32 codes an open of a port fails with most often.
const uint32_t kFileNotFound = 2;
const uint32_t kPathNotFound = 3;
const uint32_t kAccessDenied = 5;
const uint32_t kSharingViolation = 32;

} // namespace

WString CSerialPortException::GetReason(bool bOpening, const WString& strPort) const
{
    if (bOpening && (m_dwError == kAccessDenied || m_dwError == kSharingViolation))
        return WSTR("the port ") + strPort + WSTR(" is in use by another program");
    if (bOpening && (m_dwError == kFileNotFound || m_dwError == kPathNotFound))
        return WSTR("the port ") + strPort + WSTR(" was not found");
    const std::string strText = TrimWhite(WideToUtf8(GetErrorText()));
    return strText.empty() ? Utf8ToWide("error " + std::to_string(m_dwError)) : Utf8ToWide(strText);
}
