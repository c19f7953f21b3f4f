// Reading the phone's received messages and delivery reports: PDU mode, the
// memories the phone uses ("AT+CPMS?"), each listed in turn (CListingStep),
// and the phone left with the memory it had selected.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "phone/ListingStep.h"
#include "phone/ModemJob.h"

// Who stores what the memories hold.
class CReadMessagesListener : public CJobListener, public CListingListener {
public:
    // The memories are being listed.
    virtual void OnReading() = 0;
    // Every memory has been listed.
    virtual void OnRead() = 0;
};

class CReadMessagesJob : public CModemJob {
public:
    CReadMessagesJob(CModemLink& link, CReadMessagesListener& listener)
        : CModemJob(link, listener), m_listener(listener), m_listing(link, listener, false)
    {
    }

    void Start() override;
    void OnLine(const std::string& strLine) override;
    void RepeatStep() override;

private:
    enum class EStep { PDU_MODE, STORAGES, SELECT, LISTING, RESTORE };

    // The step, and the lines its answer may have.
    void SetStep(EStep eStep);
    void OnStoragesLine(const std::string& strLine);
    void ReadNextStorage();
    void OnSelectLine(const std::string& strLine);
    void FinishReading();

    CReadMessagesListener& m_listener;
    EStep m_eStep = EStep::PDU_MODE;
    CListingStep m_listing;
    std::vector<std::string> m_storages;  // to list; "" is the memory selected
    size_t m_nStorage = 0;                // the next of them
    bool m_bStoragesKnown = false;
    std::string m_strSelected;            // the memory the phone had selected before the listings
};
