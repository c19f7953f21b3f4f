#include "app/DeviceTestRequest.h"

std::unique_ptr<CModemJob> CDeviceTestRequest::NextJob(CModemLink& link)
{
    CDeviceTestListener& listener = *this;
    return OnlyJob<CDeviceTestJob>(link, listener);
}

// Whether the phone can send, in the words of what it told.
void CDeviceTestRequest::OnTested(const CDeviceInfo& info)
{
    Status(WSTR("Device on ") + Port() + WSTR(" is a(n) ") + AnsiToWide(info.strMaker) +
           AnsiToWide(DescribeDevice(info)));
    if (m_fnTested)
        m_fnTested(info);
}

void CDeviceTestRequest::OnFailed(const CSmsException& error)
{
    Fail(error, "Failed to get model", "Failed to get model\n");
}
