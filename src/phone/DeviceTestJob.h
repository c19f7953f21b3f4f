// Testing the port: the phone's maker ("AT+CGMI", which must be answered),
// then whether it can send: its model, the SIM, the signal, the network and
// the service centre, each from a question the phone may refuse (a refused
// one is left out).
#pragma once

#include <string>
#include <vector>

#include "phone/DeviceInfo.h"
#include "phone/ModemJob.h"

class CDeviceTestJob : public CModemJob {
public:
    // info receives what the phone told.
    CDeviceTestJob(CModemLink& link, CDeviceInfo& info) : CModemJob(link), m_info(info) {}

    void Start() override;
    void OnLine(const std::string& strLine) override;
    void OnPinAccepted() override { m_info.strSim = "ready"; }
    // Without the PIN the service centre stays unknown; the rest is told.
    void OnPinDeclined() override { Next(); }
    bool RetriesWhenNotReady() const override { return false; }

private:
    void Ask();
    void Take(const std::string& strLine);
    void Next();

    CDeviceInfo& m_info;
    size_t m_nQuestion = 0;
    std::vector<std::string> m_lines;  // the answer's information lines
};
