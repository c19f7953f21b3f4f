// The start of listening on a port kept open: PDU mode, then
// "AT+CNMI=2,1,0,2,0", which asks the phone to store new messages and status
// reports and announce each ("+CMTI:", "+CDSI:"). A phone that refuses it
// is no failure: its memory is then listed now and then instead.
#pragma once

#include <string>

#include "phone/ModemJob.h"

class CListenListener : public CJobListener {
public:
    // bAnnouncing: the phone took "AT+CNMI"; false: it refused it.
    virtual void OnAnnouncing(bool bAnnouncing) = 0;
};

class CListenJob : public CModemJob {
public:
    static const char kIndications[];  // "AT+CNMI=2,1,0,2,0"

    CListenJob(CModemLink& link, CListenListener& listener) : CModemJob(link, listener), m_listener(listener) {}

    void Start() override;
    void OnLine(const std::string& strLine) override;

private:
    CListenListener& m_listener;
    bool m_bModeSet = false;  // "AT+CMGF=0" was answered OK
};
