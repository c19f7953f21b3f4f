// What a send (or a store in the phone's memory) of one message tells the
// one who asked for it, each result with the part it concerns: the owner
// never needs to ask the driver afterwards which part it was, which
// reference the phone gave, or what went wrong. A failure (OnFailed) means
// the part did not leave the phone: the request failed before it could, or
// the phone refused it. Parts count from 1.
#pragma once

#include "base/Text.h"
#include "phone/ListingStep.h"
#include "phone/ModemJob.h"

class CSendListener : public CJobListener, public CListingListener {
public:
    // The phone prompts for part nPart of nParts; its PDU follows at once
    // unless the owner returns false, having said why: the request then
    // ends without it (ESC leaves the phone as it was).
    virtual bool OnSubmitting(unsigned nPart, unsigned nParts) = 0;
    // The phone accepted part nPart and gave it the reference nMr ("+CMGS:
    // <mr>"; a stored part: its index).
    virtual void OnPartAccepted(unsigned nPart, unsigned nMr) = 0;
    // Part nPart was refused in a way that cannot have let it go (the
    // network or the SIM busy for a moment); it is offered again after a
    // pause. strMeaning says why, in lower case.
    virtual void OnRetrying(unsigned nPart, const WString& strMeaning) = 0;
    // The PDU of part nPart went out and the request ends before the phone
    // said whether it was sent (strReason: a time-out, a cancel, the port
    // gone, an answer that cannot be read, the network's time-out): the
    // message may have left. The port is being closed.
    virtual void OnNotConfirmed(unsigned nPart, const WString& strReason) = 0;
};
