#include "phone/PhoneError.h"

#include <cstddef>

#include "base/Text.h"

namespace {

struct CMeaning {
    unsigned nCode;
    const char* pszMeaning;
};

// 3GPP TS 27.005 3.2.5: the network's causes (below 128, from 24.011 and
// 23.040), the phone's own (300 and above), and the codes 512-515 that many
// phones use.
const CMeaning kCmsMeanings[] = {
    {1, "unassigned number"},
    {8, "operator determined barring"},
    {10, "call barred"},
    {21, "short message transfer rejected"},
    {27, "destination out of service"},
    {28, "unidentified subscriber"},
    {29, "facility rejected"},
    {30, "unknown subscriber"},
    {38, "network out of order"},
    {41, "temporary failure"},
    {42, "congestion"},
    {47, "resources unavailable"},
    {50, "requested facility not subscribed"},
    {69, "requested facility not implemented"},
    {81, "invalid short message transfer reference value"},
    {95, "invalid message"},
    {96, "invalid mandatory information"},
    {97, "message type non-existent or not implemented"},
    {98, "message not compatible with short message protocol state"},
    {99, "information element non-existent or not implemented"},
    {111, "protocol error"},
    {127, "interworking error"},
    {128, "telematic interworking not supported"},
    {129, "short message type 0 not supported"},
    {130, "cannot replace short message"},
    {143, "unspecified TP-PID error"},
    {144, "data coding scheme not supported"},
    {145, "message class not supported"},
    {159, "unspecified TP-DCS error"},
    {160, "command cannot be actioned"},
    {161, "command unsupported"},
    {175, "unspecified TP-Command error"},
    {176, "TPDU not supported"},
    {192, "SC busy"},
    {193, "no SC subscription"},
    {194, "SC system failure"},
    {195, "invalid SME address"},
    {196, "destination SME barred"},
    {197, "SM rejected, duplicate SM"},
    {198, "TP-VPF not supported"},
    {199, "TP-VP not supported"},
    {300, "phone failure"},
    {301, "SMS service of phone reserved"},
    {302, "operation not allowed"},
    {303, "operation not supported"},
    {304, "invalid PDU mode parameter"},
    {305, "invalid text mode parameter"},
    {310, "SIM not inserted"},
    {311, "SIM PIN required"},
    {312, "PH-SIM PIN required"},
    {313, "SIM failure"},
    {314, "SIM busy"},
    {315, "SIM wrong"},
    {316, "SIM PUK required"},
    {317, "SIM PIN2 required"},
    {318, "SIM PUK2 required"},
    {320, "memory failure"},
    {321, "invalid memory index"},
    {322, "memory full"},
    {330, "SMSC address unknown"},
    {331, "no network service"},
    {332, "network timeout"},
    {340, "no acknowledgement expected"},
    {500, "unknown error"},
    {512, "MM establishment failure"},
    {513, "lower layer failure"},
    {514, "CP error"},
    {515, "please wait, initialisation or command processing in progress"},
};

// 3GPP TS 27.007 9.2.
const CMeaning kCmeMeanings[] = {
    {0, "phone failure"},
    {1, "no connection to phone"},
    {2, "phone adaptor link reserved"},
    {3, "operation not allowed"},
    {4, "operation not supported"},
    {5, "PH-SIM PIN required"},
    {6, "PH-FSIM PIN required"},
    {7, "PH-FSIM PUK required"},
    {10, "SIM not inserted"},
    {11, "SIM PIN required"},
    {12, "SIM PUK required"},
    {13, "SIM failure"},
    {14, "SIM busy"},
    {15, "SIM wrong"},
    {16, "incorrect password"},
    {17, "SIM PIN2 required"},
    {18, "SIM PUK2 required"},
    {20, "memory full"},
    {21, "invalid index"},
    {22, "not found"},
    {23, "memory failure"},
    {24, "text string too long"},
    {25, "invalid characters in text string"},
    {26, "dial string too long"},
    {27, "invalid characters in dial string"},
    {30, "no network service"},
    {31, "network timeout"},
    {32, "network not allowed, emergency calls only"},
    {40, "network personalisation PIN required"},
    {41, "network personalisation PUK required"},
    {100, "unknown error"},
    {515, "please wait, initialisation or command processing in progress"},
};

// Refusals that leave the message in the phone: the network or the SIM is
// busy for a moment. 332 (network timeout) is not among them: the network may
// hold the message already.
const unsigned kTransientCms[] = {38, 41, 42, 47, 331, 314};
const unsigned kTransientCme[] = {14, 515};
// The SIM or the phone is not ready yet, for any command.
const unsigned kNotReadyCms[] = {314};
const unsigned kNotReadyCme[] = {14, 515};

template <size_t N>
const char* Lookup(const CMeaning (&table)[N], unsigned nCode)
{
    for (const CMeaning& meaning : table) {
        if (meaning.nCode == nCode)
            return meaning.pszMeaning;
    }
    return nullptr;
}

template <size_t N>
bool Holds(const unsigned (&codes)[N], unsigned nCode)
{
    for (unsigned n : codes) {
        if (n == nCode)
            return true;
    }
    return false;
}

// "38" as a number; false for a text, an empty field or more than 5 digits.
bool ParseCode(const std::string& str, unsigned& nCode)
{
    if (str.empty() || str.size() > 5)
        return false;
    nCode = 0;
    for (char ch : str) {
        if (ch < '0' || ch > '9')
            return false;
        nCode = nCode * 10 + static_cast<unsigned>(ch - '0');
    }
    return true;
}

} // namespace

bool FindPhoneError(const std::string& strReply, CPhoneError& error)
{
    static const std::string kCms = "+CMS ERROR:";
    static const std::string kCme = "+CME ERROR:";
    size_t nStart = 0;
    while (nStart <= strReply.size()) {
        size_t nEnd = strReply.find_first_of("\r\n", nStart);
        if (nEnd == std::string::npos)
            nEnd = strReply.size();
        const std::string strLine = TrimWhite(strReply.substr(nStart, nEnd - nStart));
        const bool bCms = strLine.compare(0, kCms.size(), kCms) == 0;
        if (bCms || strLine.compare(0, kCme.size(), kCme) == 0) {
            error = CPhoneError();
            error.eKind = bCms ? CPhoneError::EKind::CMS : CPhoneError::EKind::CME;
            error.strText = TrimWhite(strLine.substr(kCms.size()));
            error.bNumeric = ParseCode(error.strText, error.nCode);
            return true;
        }
        nStart = nEnd + 1;
    }
    return false;
}

const char* GetPhoneErrorMeaning(CPhoneError::EKind eKind, unsigned nCode)
{
    return eKind == CPhoneError::EKind::CMS ? Lookup(kCmsMeanings, nCode) : Lookup(kCmeMeanings, nCode);
}

bool IsTransient(const CPhoneError& error)
{
    if (!error.bNumeric)
        return false;
    return error.eKind == CPhoneError::EKind::CMS ? Holds(kTransientCms, error.nCode) : Holds(kTransientCme, error.nCode);
}

bool IsSimNotReady(const CPhoneError& error)
{
    if (!error.bNumeric)
        return error.strText == "SIM busy";
    return error.eKind == CPhoneError::EKind::CMS ? Holds(kNotReadyCms, error.nCode) : Holds(kNotReadyCme, error.nCode);
}

bool IsPinRequired(const CPhoneError& error)
{
    if (!error.bNumeric)
        return error.strText == "SIM PIN required";
    return error.nCode == (error.eKind == CPhoneError::EKind::CMS ? 311u : 11u);
}

// The network's time-out in either form: CMS 332 and CME 31 by number, or
// "network timeout" in words, as verbose phones write it in any case.
bool MayHaveBeenSent(const CPhoneError& error)
{
    if (error.bNumeric)
        return error.nCode == (error.eKind == CPhoneError::EKind::CMS ? 332u : 31u);
    std::string strLower;
    for (char ch : error.strText)
        strLower += static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch);
    return strLower == "network timeout";
}

std::string DescribePhoneError(const std::string& strReply)
{
    CPhoneError error;
    if (!FindPhoneError(strReply, error) || error.strText.empty())
        return std::string();
    if (!error.bNumeric)
        return error.strText;
    const std::string strReport = (error.eKind == CPhoneError::EKind::CMS ? "+CMS ERROR: " : "+CME ERROR: ") +
                                  std::to_string(error.nCode);
    const char* pszMeaning = GetPhoneErrorMeaning(error.eKind, error.nCode);
    return pszMeaning ? std::string(pszMeaning) + " (" + strReport + ")" : strReport;
}
