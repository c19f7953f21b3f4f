// What a send (or a store in the phone's memory) of one message tells the
// one who asked for it, each result with the part it concerns: the owner
// never needs to ask the driver afterwards which part it was, which
// reference the phone gave, or what went wrong. Every call arrives on the
// thread that drives CModem; parts count from 1.
#pragma once

#include "base/Text.h"
#include "phone/SmsException.h"

class CSendListener {
public:
    virtual ~CSendListener() {}

    // The phone prompts for part nPart of nParts; its PDU follows at once
    // unless the owner returns false, having said why: the request then
    // ends without it (ESC leaves the phone as it was), OnRequestEnded follows.
    virtual bool OnSubmitting(unsigned nPart, unsigned nParts) = 0;
    // The phone accepted part nPart and gave it the reference nMr ("+CMGS:
    // <mr>"; a stored part: its index). After the last part, the result
    // says whether the owner has made another request on the open port
    // from inside this call; before it, the result does not count.
    virtual bool OnPartAccepted(unsigned nPart, unsigned nMr) = 0;
    // Part nPart was refused in a way that cannot have let it go (the
    // network or the SIM busy for a moment); it is offered again after a
    // pause. strMeaning says why, in lower case.
    virtual void OnRetrying(unsigned nPart, const WString& strMeaning) = 0;
    // The request failed before part nPart could leave the phone, or the
    // phone refused it: the message did not go. The port is being closed.
    virtual void OnRefused(unsigned nPart, const CSmsException& error) = 0;
    // The PDU of part nPart went out and the request ends before the phone
    // said whether it was sent (strReason: a time-out, a cancel, the port
    // gone, an answer that cannot be read, the network's time-out): the
    // message may have left. The port is being closed.
    virtual void OnNotConfirmed(unsigned nPart, const WString& strReason) = 0;
};
