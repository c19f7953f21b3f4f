// What the modem session tells its owner of itself: the handshake, the
// SIM's PIN, a time-out, what the phone passed on or announced unasked, the
// next job, the end. What a job finds goes to that job's own listener. Every call arrives
// on the thread that drives CModem.
#pragma once

#include <memory>
#include <vector>

#include "phone/MessageListing.h"

class CModemJob;
class CModemLink;

class CModemSink {
public:
    virtual ~CModemSink() {}

    // The port is open and the handshake starts.
    virtual void OnHandshaking() = 0;
    // The job's work is done (its call has returned): the next job on the
    // open port, made on the link, or none, and the port is closed.
    virtual std::unique_ptr<CModemJob> OnJobDone(CModemLink& link) = 0;
    // The port has been closed, or the jobs are over and it stays open for
    // listening (CModem::KeepOpen): the request is over, whatever its outcome.
    virtual void OnRequestEnded() = 0;
    // The phone did not give the awaited answer in time (called through
    // CModem::OnTimer), other than to a PDU; the request is being cancelled.
    virtual void OnTimedOut() = 0;
    // The SIM wants its PIN (bRefused: the phone refused the one given): the
    // owner answers with CModem::EnterPin or DeclinePin, at once or later.
    virtual void OnPinRequired(bool bRefused) = 0;
    // Status reports the phone passed on by itself ("+CDS:") while the port was open.
    virtual void OnReportsArrived(const std::vector<CListedPdu>& reports) = 0;
    // What the phone announced it stored ("+CMTI:", "+CDSI:"), while a job
    // ran or while listening; the owner reads each with a job of its own.
    virtual void OnAnnounced(const std::vector<CAnnounced>& announced) = 0;
};
