// Reading the phone's received messages and delivery reports: PDU mode, the
// memories the phone uses ("AT+CPMS?"), each listed in turn (CListingStep),
// and the phone left with the memory it had selected.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "phone/ListingStep.h"
#include "phone/ModemJob.h"

class CReadMessagesJob : public CModemJob {
public:
    explicit CReadMessagesJob(CModemLink& link) : CModemJob(link), m_listing(link, false) {}

    void Start() override;
    void OnLine(const std::string& strLine) override;
    void RepeatStep() override;
    size_t GetMaxLines() const override { return m_eStep == EStep::LISTING ? CListingStep::kMaxLines : kMaxLines; }

private:
    enum class EStep { PDU_MODE, STORAGES, SELECT, LISTING, RESTORE };

    void OnStoragesLine(const std::string& strLine);
    void ReadNextStorage();
    void OnSelectLine(const std::string& strLine);
    void FinishReading();

    EStep m_eStep = EStep::PDU_MODE;
    CListingStep m_listing;
    std::vector<std::string> m_storages;  // to list; "" is the memory selected
    size_t m_nStorage = 0;                // the next of them
    bool m_bStoragesKnown = false;
    std::string m_strSelected;            // the memory the phone had selected before the listings
};
