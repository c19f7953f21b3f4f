// Downloading the phone book: UTF-8 selected ("AT+CSCS=\"UTF-8\""), the
// range of locations asked ("AT+CPBR=?"), then the locations read in batches
// ("AT+CPBR=<first>,<last>"), every entry handed to the owner.
#pragma once

#include "phone/ModemJob.h"

class CPhonebookJob : public CModemJob {
public:
    explicit CPhonebookJob(CModemLink& link) : CModemJob(link) {}

    void Start() override;
    void OnLine(const std::string& strLine) override;

    // Locations read per "AT+CPBR=<first>,<last>": slow phones cope with it.
    static const unsigned kBatch = 20;
    // Locations read at most; a phone claiming more is read that far.
    static const unsigned kMaxLocations = 10000;

private:
    enum class EStep { CHARSET, RANGE, READ };

    void OnRangeLine(const std::string& strLine);
    void OnEntryLine(const std::string& strLine);
    void ReadNextBatch();

    EStep m_eStep = EStep::CHARSET;
    unsigned m_nFirstIndex = 0; // first location to read
    unsigned m_nNextIndex = 0;  // location to read next
    unsigned m_nLastIndex = 0;  // last location to read
    bool m_bRangeKnown = false;
};
