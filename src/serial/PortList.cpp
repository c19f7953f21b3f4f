#include "serial/PortList.h"

#include <algorithm>

namespace {

WString WithoutColons(const WString& strName)
{
    size_t n = strName.size();
    while (n > 0 && strName[n - 1] == WChar(':'))
        --n;
    return strName.substr(0, n);
}

bool IsComName(const WString& strName)
{
    return strName.size() >= 3 && strName.compare(0, 3, WSTR("COM")) == 0;
}

// The number after "COM", for ordering; names without one sort last.
unsigned long PortNumber(const WString& strName)
{
    unsigned long n = 0;
    size_t i = 3;
    for (; i < strName.size() && strName[i] >= WChar('0') && strName[i] <= WChar('9') && n < 100000; ++i)
        n = n * 10 + static_cast<unsigned long>(strName[i] - WChar('0'));
    return i == 3 ? static_cast<unsigned long>(-1) : n;
}

void AddPort(const WString& strCandidate, const PfnIsMissing& pfnIsMissing,
             std::vector<std::string>& ports)
{
    if (!IsComName(strCandidate))
        return;
    const std::string strName = WideToAnsi(WithoutColons(strCandidate));
    if (std::find(ports.begin(), ports.end(), strName) != ports.end())
        return;
    if (pfnIsMissing(GetDevicePath(strCandidate)))
        return;
    ports.push_back(strName);
}

} // namespace

WString GetDevicePath(const WString& strPort)
{
    static const WString strPrefix = WSTR("\\\\.\\");
    if (strPort.compare(0, strPrefix.size(), strPrefix) == 0)
        return strPort;
    return strPrefix + WithoutColons(strPort);
}

std::vector<std::string> MakePortList(const std::vector<WString>& spoolerPorts,
                                      const std::vector<WString>& serialDevices,
                                      const PfnIsMissing& pfnIsMissing)
{
    std::vector<std::string> ports;
    for (const WString& strName : spoolerPorts)
        AddPort(strName, pfnIsMissing, ports);

    std::vector<WString> extra(serialDevices);
    std::stable_sort(extra.begin(), extra.end(), [](const WString& a, const WString& b) {
        return PortNumber(a) < PortNumber(b);
    });
    for (const WString& strName : extra)
        AddPort(strName, pfnIsMissing, ports);
    return ports;
}
