// A port failure: one Win32 error code. Thrown and caught by value; a copy
// travels to the dialog thread with the announcement of the failed operation.
//
// Errors in this layer: a port failure is a CSerialPortException, thrown by
// value inside the worker and caught at its thread's boundary, where it
// becomes the announcement's error; nothing else throws.
#pragma once

#include <cstdint>

#include "base/Text.h"

class CSerialPortException {
public:
    explicit CSerialPortException(uint32_t dwError) : m_dwError(dwError) {}

    // The system's text for the code.
    WString GetErrorText() const;
    // What went wrong, in words for the status line: an open refused because
    // another program holds the port, or of a port that is not there, says
    // so with the port's name; anything else is the system's text, trimmed.
    WString GetReason(bool bOpening, const WString& strPort) const;

    uint32_t m_dwError;
};
