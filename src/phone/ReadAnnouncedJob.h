// Reading one message or status report the phone announced: "AT+CMGR=<index>"
// in the memory the announcement named ("SM" unless it named another, which
// is selected for the read and "SM" again after it), then "AT+CMGD=<index>"
// when the listener has stored it and wants it deleted. A location the phone
// will not read (deleted meanwhile, say) ends the job without a failure.
#pragma once

#include <string>

#include "phone/MessageListing.h"
#include "phone/ModemJob.h"

class CAnnouncedListener : public CJobListener {
public:
    // What the phone answered for the announced place (pdu.bComplete false:
    // it was not read whole). True when it has been stored and is to be
    // deleted from the phone.
    virtual bool OnAnnouncedRead(const CAnnounced& announced, const CListedPdu& pdu) = 0;
};

class CReadAnnouncedJob : public CModemJob {
public:
    static const char kDefaultStorage[];  // "SM"

    CReadAnnouncedJob(CModemLink& link, CAnnouncedListener& listener, const CAnnounced& announced)
        : CModemJob(link, listener), m_listener(listener), m_announced(announced), m_listing(announced.nIndex)
    {
    }

    void Start() override;
    void OnLine(const std::string& strLine) override;

private:
    enum class EStep { SELECT, READ, ERASE, RESTORE };

    bool IsOtherStorage() const;
    void Read();
    void OnReadLine(const std::string& strLine);
    void Finish();

    CAnnouncedListener& m_listener;
    CAnnounced m_announced;
    CMessageListing m_listing;
    EStep m_eStep = EStep::READ;
};
