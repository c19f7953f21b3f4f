// Testing the port: the phone's maker ("AT+CGMI", which must be answered),
// then whether it can send: its model, the SIM, the signal, the network and
// the service centre, each from a question the phone may refuse (a refused
// one is left out).
#pragma once

#include <string>
#include <vector>

#include "phone/DeviceInfo.h"
#include "phone/ModemJob.h"

// Who hears what the phone told.
class CDeviceTestListener : public CJobListener {
public:
    virtual void OnTested(const CDeviceInfo& info) = 0;
};

class CDeviceTestJob : public CModemJob {
public:
    CDeviceTestJob(CModemLink& link, CDeviceTestListener& listener) : CModemJob(link, listener), m_listener(listener)
    {
        m_rules.bRetryNotReady = false;
    }

    void Start() override;
    void OnLine(const std::string& strLine) override;
    // Without the PIN the service centre stays unknown; the rest is told.
    void OnPin(bool bAccepted) override
    {
        if (bAccepted)
            m_info.strSim = "ready";
        else
            Next();
    }

private:
    void Ask();
    void Take(const std::string& strLine);
    void Next();

    CDeviceTestListener& m_listener;
    CDeviceInfo m_info;
    size_t m_nQuestion = 0;
    std::vector<std::string> m_lines;  // the answer's information lines
};
