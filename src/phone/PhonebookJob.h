// Downloading the phone book: UTF-8 selected ("AT+CSCS=\"UTF-8\""), the
// range of locations asked ("AT+CPBR=?"), then the locations read in batches
// ("AT+CPBR=<first>,<last>"), every entry handed to the owner.
#pragma once

#include "phone/ModemJob.h"

// Who takes the phone book.
class CPhonebookListener : public CJobListener {
public:
    // The phone accepted UTF-8; the entries are being read.
    virtual void OnDownloading() = 0;
    // One entry of the phone's phone book (UTF-16, converted from UTF-8).
    virtual void OnEntry(const WString& strName, const WString& strNumber) = 0;
    // The last entry has been handed over.
    virtual void OnDownloaded() = 0;
};

class CPhonebookJob : public CModemJob {
public:
    CPhonebookJob(CModemLink& link, CPhonebookListener& listener) : CModemJob(link, listener), m_listener(listener) {}

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

    CPhonebookListener& m_listener;
    EStep m_eStep = EStep::CHARSET;
    unsigned m_nNextIndex = 0;  // location to read next
    unsigned m_nLastIndex = 0;  // last location to read
    bool m_bRangeKnown = false;
};
