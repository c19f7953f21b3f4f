#include "serial/SerialPortException.h"

#if defined(_WIN32)
#include "base/Util.h"

WString CSerialPortException::GetErrorText() const
{
    return GetSystemErrorText(m_dwError);
}
#else
#include <string>

WString CSerialPortException::GetErrorText() const
{
    return Utf8ToWide("Error " + std::to_string(m_dwError));
}
#endif
