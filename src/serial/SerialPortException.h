// A port failure: one Win32 error code. Thrown and caught by value; a copy
// travels to the dialog thread with the announcement of the failed operation.
#pragma once

#include <cstdint>

#include "base/Text.h"

class CSerialPortException {
public:
    explicit CSerialPortException(uint32_t dwError) : m_dwError(dwError) {}

    // The system's text for the code.
    WString GetErrorText() const;

    uint32_t m_dwError;
};
