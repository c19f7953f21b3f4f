// A protocol failure: the phone answered something other than what the
// driver waited for. Thrown by the modem driver's reply handlers and caught
// where the driver takes an announcement, which fails the request.
#pragma once

#include <string>

#include "base/Text.h"

class CSmsException {
public:
    CSmsException() {}
    // Both texts are narrow (AT replies), converted with the ANSI code page.
    CSmsException(const std::string& strExpected, const std::string& strReceived,
                  const std::string& strReason = std::string())
        : m_strExpected(AnsiToWide(strExpected)), m_strReceived(AnsiToWide(strReceived)),
          m_strReason(AnsiToWide(strReason))
    {
    }

    WString m_strExpected;  // what the driver wanted
    WString m_strReceived;  // the reply that came
    WString m_strReason;    // why, for the user, when the reply does not say it itself
};
