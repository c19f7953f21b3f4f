#include "phone/DeviceInfo.h"

#include <cstdlib>
#include <vector>

#include "base/Text.h"
#include "phone/PhoneError.h"

namespace {

// The fields after "<prefix>", split at commas, trimmed; false without the prefix.
bool Fields(const std::string& strLine, const char* pszPrefix, std::vector<std::string>& fields)
{
    const std::string strPrefix = pszPrefix;
    if (strLine.compare(0, strPrefix.size(), strPrefix) != 0)
        return false;
    fields.clear();
    size_t nStart = strPrefix.size();
    for (;;) {
        const size_t nComma = strLine.find(',', nStart);
        fields.push_back(TrimWhite(strLine.substr(nStart, nComma == std::string::npos ? nComma : nComma - nStart)));
        if (nComma == std::string::npos)
            return true;
        nStart = nComma + 1;
    }
}

bool ToNumber(const std::string& str, unsigned& n)
{
    if (str.empty() || str.size() > 3 || str.find_first_not_of("0123456789") != std::string::npos)
        return false;
    n = static_cast<unsigned>(std::strtoul(str.c_str(), nullptr, 10));
    return true;
}

} // namespace

std::string DescribeDevice(const CDeviceInfo& info)
{
    std::string str;
    if (!info.strModel.empty())
        str += "; model: " + info.strModel;
    if (!info.strSim.empty())
        str += "; SIM: " + info.strSim;
    if (info.nSignal == 0)
        str += "; no signal";
    else if (info.nSignal > 0)
        str += "; signal " + std::to_string(info.nSignal) + " of 5";
    if (!info.strNetwork.empty())
        str += "; network: " + info.strNetwork;
    if (info.bScaKnown)
        str += info.strSca.empty() ? std::string("; no service centre number set") : "; service centre: " + info.strSca;
    return str;
}

bool ParseSimState(const std::string& strLine, std::string& strState)
{
    std::vector<std::string> fields;
    if (!Fields(strLine, "+CPIN:", fields) || fields[0].empty())
        return false;
    const std::string& strCode = fields[0];
    if (strCode == "READY")
        strState = "ready";
    else if (strCode == "SIM PIN")
        strState = "PIN required";
    else if (strCode == "SIM PUK")
        strState = "PUK required";
    else
        strState = strCode + " required";  // PH-SIM PIN, SIM PIN2, ...
    return true;
}

// 27.007 <rssi>: 0 is -113 dBm or less, 31 is -51 dBm or more, 99 unknown.
bool ParseSignal(const std::string& strLine, int& nBars)
{
    std::vector<std::string> fields;
    unsigned nRssi = 0;
    if (!Fields(strLine, "+CSQ:", fields) || !ToNumber(fields[0], nRssi) || (nRssi > 31 && nRssi != 99))
        return false;
    nBars = nRssi == 99 || nRssi == 0 ? 0 : nRssi < 10 ? 1 : nRssi < 15 ? 2 : nRssi < 20 ? 3 : nRssi < 25 ? 4 : 5;
    return true;
}

// "+CREG: <n>,<stat>[,<lac>,<ci>]"; a phone that leaves out <n> gives <stat> alone.
bool ParseRegistration(const std::string& strLine, std::string& strState)
{
    static const char* const kStates[] = {"not registered", "registered (home)", "searching", "denied", "unknown",
                                          "roaming"};
    std::vector<std::string> fields;
    unsigned nStat = 0;
    if (!Fields(strLine, "+CREG:", fields) || !ToNumber(fields[fields.size() >= 2 ? 1 : 0], nStat) || nStat > 5)
        return false;
    strState = kStates[nStat];
    return true;
}

bool ParseServiceCentre(const std::string& strLine, std::string& strNumber)
{
    std::vector<std::string> fields;
    if (!Fields(strLine, "+CSCA:", fields))
        return false;
    std::string str = fields[0];
    if (str.size() >= 2 && str.front() == '"' && str.back() == '"')
        str = str.substr(1, str.size() - 2);
    if (str.find_first_not_of("+0123456789") != std::string::npos)
        return false;
    strNumber = str;
    return true;
}

std::string SimStateOfError(const std::string& strLine)
{
    CPhoneError error;
    if (!FindPhoneError(strLine, error) || !error.bNumeric)
        return std::string();
    const bool bCme = error.eKind == CPhoneError::EKind::CME;
    if (error.nCode == (bCme ? 10u : 310u))
        return "not inserted";
    if (IsSimNotReady(error))
        return "busy";
    return std::string();
}
