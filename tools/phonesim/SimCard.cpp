#include "SimCard.h"

#include <cctype>
#include <vector>

namespace {

// The commands of 3GPP TS 27.005 that read or write the SIM.
bool IsSimSmsCommand(const std::string& strName)
{
    static const char* const kNames[] = {"AT+CMGS", "AT+CMGW", "AT+CPMS", "AT+CMGL",
                                         "AT+CMGD", "AT+CMGR", "AT+CNMI", "AT+CSCA"};
    for (const char* psz : kNames) {
        if (strName == psz)
            return true;
    }
    return false;
}

// The values of AT+CPIN=, quoted or not; an empty list for a malformed one.
std::vector<std::string> Values(const std::string& strArgs)
{
    std::vector<std::string> values;
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = strArgs.find(',', nStart);
        std::string str = strArgs.substr(nStart, nComma == std::string::npos ? std::string::npos : nComma - nStart);
        if (str.size() >= 2 && str.front() == '"' && str.back() == '"')
            str = str.substr(1, str.size() - 2);
        if (str.empty() || values.size() == 2)
            return std::vector<std::string>();
        values.push_back(str);
        if (nComma == std::string::npos)
            return values;
        nStart = nComma + 1;
    }
}

bool IsPin(const std::string& str)
{
    if (str.size() < 4 || str.size() > 8)
        return false;
    for (char ch : str) {
        if (!std::isdigit(static_cast<unsigned char>(ch)))
            return false;
    }
    return true;
}

} // namespace

CSimCard::CSimCard(const std::string& strPin, const std::string& strPuk, unsigned nBusyMs)
    : m_strPin(strPin), m_strPuk(strPuk), m_nBusyMs(nBusyMs), m_nState(strPin.empty() ? READY : WANTS_PIN)
{
}

const char* CSimCard::GetStateText() const
{
    return m_nState == READY ? "READY" : m_nState == WANTS_PIN ? "SIM PIN" : "SIM PUK";
}

std::string CSimCard::Refuse(const std::string& strName, const std::string& strTail, long long nNowMs,
                             std::string& strWhy) const
{
    const bool bSms = IsSimSmsCommand(strName);
    const bool bPhonebook = strName == "AT+CPBS" || strName == "AT+CPBR";
    // AT+CPIN=? asks what the command takes, not the SIM.
    const bool bPin = strName == "AT+CPIN" && strTail != "=?";
    if (!bSms && !bPhonebook && !bPin)
        return std::string();
    if (IsBusy(nNowMs)) {
        strWhy = "busy";
        return bSms ? "+CMS ERROR: 314" : "+CME ERROR: 14";
    }
    if (m_nState == READY || bPin)
        return std::string();
    const bool bPuk = m_nState == WANTS_PUK;
    strWhy = bPuk ? "puk" : "pin";
    if (bSms)
        return bPuk ? "+CMS ERROR: 316" : "+CMS ERROR: 311";
    return bPuk ? "+CME ERROR: 12" : "+CME ERROR: 11";
}

CSimCard::CEntry CSimCard::Enter(const std::string& strArgs, long long nNowMs)
{
    CEntry entry;
    const std::vector<std::string> values = Values(strArgs);
    if (values.empty() || (values.size() == 2 && !IsPin(values[1]))) {
        entry.strFinal = "ERROR";
        return entry;
    }
    if (m_nState == READY) {
        entry.strFinal = "+CME ERROR: 3";  // operation not allowed: nothing is asked for
        return entry;
    }
    if (m_nState == WANTS_PUK)
        return EnterPuk(values[0], values.size() == 2 ? values[1] : std::string(), nNowMs);
    entry.bChecked = true;
    if (values[0] == m_strPin) {
        m_nState = READY;
        m_nPinTries = kPinTries;
        StartBusy(nNowMs);
        entry.bOk = true;
        entry.strFinal = "OK";
    } else {
        if (--m_nPinTries == 0)
            m_nState = WANTS_PUK;
        entry.strFinal = "+CME ERROR: 16";  // incorrect password
    }
    entry.nTriesLeft = m_nPinTries;
    return entry;
}

// A PUK without a new PIN is no try; after kPukTries wrong ones the SIM is
// blocked for good and refuses even the right PUK.
CSimCard::CEntry CSimCard::EnterPuk(const std::string& strPuk, const std::string& strNewPin, long long nNowMs)
{
    CEntry entry;
    entry.bChecked = true;
    entry.bPuk = true;
    if (strNewPin.empty()) {
        entry.strFinal = "+CME ERROR: 12";  // SIM PUK required
    } else if (m_nPukTries > 0 && strPuk == m_strPuk) {
        m_strPin = strNewPin;
        m_nState = READY;
        m_nPinTries = kPinTries;
        m_nPukTries = kPukTries;
        StartBusy(nNowMs);
        entry.bOk = true;
        entry.strFinal = "OK";
    } else {
        if (m_nPukTries > 0)
            --m_nPukTries;
        entry.strFinal = "+CME ERROR: 16";
    }
    entry.nTriesLeft = m_nPukTries;
    return entry;
}
