// Receiving while the program runs: what the phone announces on a port kept
// open is read and stored as it comes. On each (re)start of listening the
// phone is asked to announce ("AT+CNMI") and its memory is listed once, which
// finds what came while nobody listened; a phone that will not announce is
// listed every minute instead. Each announced message or report is read by a
// job of its own. Everything goes through CInboxUpdate under the inbox
// file's lock: messages joined with their parts as the Inbox joins them (a
// message whose parts have not all come stays in the file as parts, and is
// told once it is whole), reports applied to the History's messages at once,
// and deleted from the phone only when "DeleteAfterDownload" says so.
//
// CPhoneSession runs the jobs (CPhoneSession::Listen); the host (the window,
// the console tool) hears what came and how listening goes.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/InboxUpdate.h"
#include "base/ListKey.h"
#include "base/Text.h"
#include "phone/ListenJob.h"
#include "phone/ReadAnnouncedJob.h"
#include "phone/ReadMessagesJob.h"
#include "sms/Inbox.h"
#include "sms/StatusReport.h"

enum class EListening {
    LISTENING,  // the port is open and the phone announces (or is listed every minute)
    LOST,       // the port failed or the phone stopped answering; it is opened again every 10 s
    STOPPED,    // receiving was turned off: the port is closed
};

class CReceiverHost {
public:
    virtual ~CReceiverHost() {}
    // A message stored whole in the inbox file (new to it).
    virtual void OnMessageReceived(const CReceivedMsg& msg) = 0;
    // A delivery report applied to the message with the delivery key strKey.
    virtual void OnReportApplied(const CStatusReport& report, const WString& strKey) = 0;
    virtual void OnListening(EListening eState, const WString& strPort) = 0;
    // What came could not be stored (and was not deleted from the phone).
    virtual void OnReceiveFailure(const std::string& strError) = 0;
};

class CReceiver : private CListenListener, private CAnnouncedListener, private CReadMessagesListener {
public:
    static constexpr uint32_t kPollMs = 60000;   // a phone that announces nothing is listed this often
    static constexpr uint32_t kRetryMs = 10000;  // a lost port is opened again after this

    // Neither is owned. strInboxPath: the inbox file; bDelete: what has been
    // stored is deleted from the phone.
    CReceiver(CReceiverHost& host, CListKey& reportsKey, const WString& strInboxPath, bool bDelete)
        : m_host(host), m_reportsKey(reportsKey), m_strInboxPath(strInboxPath), m_bDelete(bDelete)
    {
    }

    // For the session. The port was opened (again): announcing is asked
    // for, and the memory listed, before anything else.
    void Restart();
    void Take(const std::vector<CAnnounced>& announced);
    // Status reports the phone passed on by itself ("+CDS:").
    void TakeReports(const std::vector<CListedPdu>& reports);
    // The minute of a phone that announces nothing is over: a listing.
    void Poll() { m_bListing = true; }
    bool IsPolling() const { return !m_bAnnouncing; }
    // The phone has answered the set-up since the port was opened.
    bool IsSetUp() const { return m_bSetUp; }
    // The next job of listening, null when there is nothing to do now.
    std::unique_ptr<CModemJob> NextJob(CModemLink& link);
    // The user's choice changed: what is stored from now on is deleted, or kept.
    void SetDelete(bool bDelete) { m_bDelete = bDelete; }
    // Told to the host when it changes.
    void SetState(EListening eState, const WString& strPort);
    EListening GetState() const { return m_eState; }

private:
    // CListenListener
    void OnAnnouncing(bool bAnnouncing) override
    {
        m_bAnnouncing = bAnnouncing;
        m_bSetUp = true;
    }
    void OnFailed(const CSmsException& error) override;
    // CAnnouncedListener
    bool OnAnnouncedRead(const CAnnounced& announced, const CListedPdu& pdu) override;
    // CReadMessagesListener
    void OnReading() override {}
    std::vector<unsigned> OnListed(const std::vector<CListedPdu>& pdus) override { return Store(pdus); }
    void OnRead() override {}

    // Stores what was read and tells the host; the indexes to delete.
    std::vector<unsigned> Store(const std::vector<CListedPdu>& pdus);
    // The reports that matched a message sent.
    void TellReports(const CInboxUpdate& update);

    CReceiverHost& m_host;
    CListKey& m_reportsKey;
    WString m_strInboxPath;
    bool m_bDelete;
    EListening m_eState = EListening::STOPPED;
    bool m_bStart = false;       // "AT+CNMI" is to be asked
    bool m_bListing = false;     // the memory is to be listed
    bool m_bAnnouncing = true;   // the phone took "AT+CNMI"
    bool m_bSetUp = false;       // ... or refused it, on the port as opened now
    std::deque<CAnnounced> m_announced;  // to read, in the order announced
};
