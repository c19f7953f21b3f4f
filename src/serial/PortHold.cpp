#include "serial/PortHold.h"

WString CPortHold::GetName(const WString& strPort)
{
    return WSTR("Local\\ZanduSMS-Receiving-") + strPort;
}

void CPortHold::Hold(const WString& strPort)
{
    m_hMutex.Reset();
    if (!strPort.empty())
        m_hMutex.Reset(CreateMutexW(nullptr, FALSE, GetName(strPort).c_str()));
}

bool CPortHold::IsHeld(const WString& strPort)
{
    const CHandle hMutex(OpenMutexW(SYNCHRONIZE, FALSE, GetName(strPort).c_str()));
    return static_cast<bool>(hMutex);
}
