// Testing the port: the phone's maker, and whether it can send (its model,
// the SIM, the signal, the network, the service centre), said in one status:
// "Device on COM5 is a(n) Acme; model: X1; SIM: ready; signal 3 of 5; ...".
#pragma once

#include <functional>
#include <memory>

#include "app/PhoneRequest.h"
#include "phone/DeviceInfo.h"
#include "phone/DeviceTestJob.h"

class CDeviceTestRequest : public CPhoneRequest, private CDeviceTestListener {
public:
    typedef std::function<void(const CDeviceInfo&)> FnTested;

    // fnTested (may be empty) receives what the phone told, once it has.
    explicit CDeviceTestRequest(FnTested fnTested = nullptr) : m_fnTested(std::move(fnTested)) {}

    std::unique_ptr<CModemJob> NextJob(CModemLink& link) override;

private:
    // CDeviceTestListener
    void OnTested(const CDeviceInfo& info) override;
    void OnFailed(const CSmsException& error) override;

    FnTested m_fnTested;
};
