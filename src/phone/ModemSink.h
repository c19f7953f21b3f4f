// What the modem driver tells its owner: progress, results and failures of
// the session and of the requests other than sending (a send reports to its
// own CSendListener). The request logic (CPhoneRequest) implements it. Every
// call arrives on the thread that drives CModem.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Text.h"
#include "phone/MessageListing.h"
#include "phone/SmsException.h"

class CModemSink {
public:
    virtual ~CModemSink() {}

    // One entry of the phone's phone book (UTF-16, converted from UTF-8).
    virtual void OnPhonebookEntry(const WString& strName, const WString& strNumber) = 0;
    // The last entry has been handed over; the port is being closed.
    virtual void OnPhonebookDownloaded() = 0;
    // The port is open and the handshake starts.
    virtual void OnHandshaking() = 0;
    // The port has been closed: the request is over, whatever its outcome.
    virtual void OnRequestEnded() = 0;
    // The phone answered unexpectedly (error: what was awaited, what came,
    // and why); the port is being closed. A send's failure goes to its
    // CSendListener instead.
    virtual void OnRequestFailed(const CSmsException& error) = 0;
    // The phone accepted UTF-8; the entries are being read.
    virtual void OnDownloadingPhonebook() = 0;
    // The phone's answer to the maker query, without the final result code.
    virtual void OnModel(const WString& strModel) = 0;
    // The phone did not give the awaited answer in time (called through
    // CModem::OnTimer); the request is being cancelled.
    virtual void OnTimedOut() = 0;
    // The SIM wants its PIN (bRefused: the phone refused the one given): the
    // owner answers with CModem::EnterPin or DeclinePin, at once or later.
    virtual void OnPinRequired(bool bRefused) = 0;

    // Reading the phone's messages: the memories are being listed.
    virtual void OnReadingMessages() {}
    // What one "AT+CMGL" listed (of a send: for its delivery reports). The
    // result: the indexes to delete from that memory, which the owner must
    // have stored first.
    virtual std::vector<unsigned> OnMessagesListed(const std::vector<CListedPdu>& /*pdus*/) { return {}; }
    // Every memory has been listed; the port is being closed.
    virtual void OnMessagesRead() {}
    // Status reports the phone passed on by itself ("+CDS:") while the port was open.
    virtual void OnReportsArrived(const std::vector<CListedPdu>& /*reports*/) {}
};
