// What the modem driver tells its owner: progress, results and failures. The
// request logic (CPhoneRequest) implements it. Every call arrives on the
// thread that drives CModem.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Text.h"
#include "phone/MessageListing.h"

class CModemSink {
public:
    virtual ~CModemSink() {}

    // One entry of the phone's phone book (UTF-16, converted from UTF-8).
    virtual void OnPhonebookEntry(const WString& strName, const WString& strNumber) = 0;
    // The last entry has been handed over; the port is being closed.
    virtual void OnPhonebookDownloaded() = 0;
    // After every acknowledged part. Its result counts only after the last
    // part: true means another request for the same port follows, so the
    // port stays open. The owner may make that request from inside this call.
    virtual bool OnMessageSent() = 0;
    // After every stored part; the same rule as OnMessageSent.
    virtual bool OnMessageUploaded() = 0;
    // The port is open and the handshake starts.
    virtual void OnHandshaking() = 0;
    // The port has been closed: the request is over, whatever its outcome.
    virtual void OnRequestEnded() = 0;
    // The phone answered unexpectedly; the port is being closed. The owner
    // words it by GetRequest() of the driver.
    virtual void OnRequestFailed() = 0;
    // The phone accepted UTF-8; the entries are being read.
    virtual void OnDownloadingPhonebook() = 0;
    // The phone prompts for part btPart (1-based) of a concatenated message.
    virtual void OnSendingPart(uint8_t btPart) = 0;
    // The phone prompts for a message of one SMS.
    virtual void OnSending() = 0;
    // The phone prompts for a part to store in its memory.
    virtual void OnUploadingMessage() = 0;
    // The phone's answer to the maker query, without the final result code.
    virtual void OnModel(const WString& strModel) = 0;
    // A part was refused for a moment (strMeaning says why, in lower case);
    // it is offered again when the timer fires.
    virtual void OnRetrying(const WString& strMeaning) = 0;
    // The phone did not give the awaited answer in time (called through
    // CModem::OnTimer); the request is being cancelled.
    virtual void OnTimedOut() = 0;
    // A part's PDU went out and the request ends before the phone said
    // whether it was sent (a time-out, a cancel, the port gone, "+CMS ERROR:
    // 332"): the message may have left. The port is being closed.
    virtual void OnNotConfirmed() = 0;
    // The SIM wants its PIN (bRefused: the phone refused the one given): the
    // owner answers with CModem::EnterPin or DeclinePin, at once or later.
    virtual void OnPinRequired(bool bRefused) = 0;

    // How far a phone-book download has come: locations read of those it reads.
    virtual void OnPhonebookProgress(unsigned /*nRead*/, unsigned /*nTotal*/) {}

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
