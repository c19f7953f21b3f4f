// The simulated phone's SIM: locked by its PIN (and, after three wrong ones,
// by its PUK), and busy for a while after the phone's first command and after
// each PIN accepted, as a SIM is while the phone reads its files. Times are
// the phone's clock in milliseconds.
#pragma once

#include <climits>
#include <string>

class CSimCard {
public:
    enum EState { READY, WANTS_PIN, WANTS_PUK };
    static const unsigned kPinTries = 3;
    static const unsigned kPukTries = 10;

    // An empty PIN: a SIM without a lock.
    CSimCard(const std::string& strPin, const std::string& strPuk, unsigned nBusyMs);

    EState GetState() const { return m_nState; }
    // "READY", "SIM PIN" or "SIM PUK", as "+CPIN: " reports it.
    const char* GetStateText() const;
    // The busy time begins (again) now.
    void StartBusy(long long nNowMs) { m_nBusyUntil = nNowMs + m_nBusyMs; }
    bool IsBusy(long long nNowMs) const { return nNowMs < m_nBusyUntil; }

    // The answer to a command that needs the SIM while it is busy or locked
    // ("+CMS ERROR: 314", "+CME ERROR: 11", ...) with the reason for the log
    // ("busy", "pin", "puk"); empty when the command may go on.
    std::string Refuse(const std::string& strName, const std::string& strTail, long long nNowMs,
                       std::string& strWhy) const;

    // What AT+CPIN=<args> did.
    struct CEntry {
        std::string strFinal;
        bool bChecked = false;  // a PIN or PUK the SIM wanted was given (for the log)
        bool bOk = false;
        bool bPuk = false;
        unsigned nTriesLeft = 0;
    };
    CEntry Enter(const std::string& strArgs, long long nNowMs);

private:
    CEntry EnterPuk(const std::string& strPuk, const std::string& strNewPin, long long nNowMs);

    std::string m_strPin;
    const std::string m_strPuk;
    const unsigned m_nBusyMs;
    EState m_nState;
    unsigned m_nPinTries = kPinTries;
    unsigned m_nPukTries = kPukTries;
    long long m_nBusyUntil = LLONG_MIN;  // not busy before the first command
};
