// A request the user makes of the phone (send a message, store it in the
// phone's memory, download the phone book, identify the phone, read its
// messages), carried out by a CPhoneSession in one job or more (a send: one
// per recipient), each on the port the one before left open. Each request
// is a class of its own: it makes its jobs, hears their listeners, words
// its statuses and failures and keeps what it leaves behind; the window and
// the console tool run the same ones.
//
// Errors in this layer: what the user must hear goes to the host as a
// status text (and, in detail, OnPhoneRefused, OnPortError or
// OnStoreFailure). A store that keeps settings returns the system's error
// code (kErrorSuccess when none); one that keeps a file, or a step that can
// fail otherwise, returns false with the words of why in a std::string&; a
// step with several results returns them in a struct whose strError says
// why it failed (empty when it did not). Nothing is thrown across a request
// or out of a store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/Text.h"
#include "phone/MessageListing.h"
#include "phone/ModemJob.h"
#include "phone/SmsException.h"

// The surroundings of a session: the window or the console tool.
class CSessionHost {
public:
    virtual ~CSessionHost() {}

    // A status text. bTimed: it reports something that has just happened, and
    // the window adds " at " and the time.
    virtual void OnStatus(const WString& strText, bool bTimed) = 0;
    // The port has been closed: the request is over, whatever its outcome.
    virtual void OnRequestEnded() = 0;
    // The SIM wants its PIN (bRefused: the phone refused the last one): true
    // when the host answers with CPhoneSession::EnterPin or DeclinePin, now
    // or later; false when it cannot ask (the request then fails for it).
    virtual bool OnPinRequired(bool bRefused) = 0;
    // What went wrong, in detail, for a host that shows it. The status line
    // has already said it, with the reason (strReason; empty when the phone
    // gave none, as with a bare ERROR).
    virtual void OnPortError(uint32_t dwError, const WString& strReason) = 0;
    virtual void OnPhoneRefused(const CSmsException& error, const WString& strReason) = 0;
    // No answer to "AT" within the handshake time-out.
    virtual void OnNoAnswer() = 0;
    // An answer after the handshake did not come within the progress
    // time-out; the request is being cancelled. The host says so.
    virtual void OnNoProgress() = 0;
    // What could not be stored ("Could not <strWhat>"), with the system's error.
    virtual void OnStoreFailure(const WString& strWhat, uint32_t dwError) = 0;
    // How far a long request has come: recipients served of a send to
    // several, locations read of a phone-book download.
    virtual void OnProgress(size_t /*nDone*/, size_t /*nTotal*/) {}
};

class CPhoneRequest {
public:
    virtual ~CPhoneRequest() {}

    // The session gives the request its host and port before the first job.
    void Attach(CSessionHost& host, const WString& strPort)
    {
        m_pHost = &host;
        m_strPort = strPort;
    }

    // The next job, made on the link (the first when none ran yet); null
    // when there is nothing (more) to do.
    virtual std::unique_ptr<CModemJob> NextJob(CModemLink& link) = 0;
    // Nothing more after the job that runs: a Cancel or a port error.
    virtual void Stop() {}
    // What a status adds to a request cut short: "; sent to 1 of 3".
    virtual WString DescribeProgress() const { return WString(); }
    // Messages that may have left without the phone saying so.
    virtual size_t GetNotConfirmed() const { return 0; }
    // The port is closed: the request is over.
    virtual void OnEnded() {}

protected:
    CSessionHost& Host() const { return *m_pHost; }
    const WString& Port() const { return m_strPort; }
    void Status(const WString& strText, bool bTimed = false) const { m_pHost->OnStatus(strText, bTimed); }
    // pszFailure and the phone's reason, and for a send its recipient
    // (strWho) and progress: "Failed to send message to 222: unknown error
    // (+CMS ERROR: 500); sent to 1 of 3"; traced as pszTrace. The reason,
    // which the host has been given too.
    WString Fail(const CSmsException& error, const char* pszFailure, const char* pszTrace,
                 const WString& strWho = WString()) const;
    // The same for a failure of the program's own, with its reason.
    void FailWith(const WString& strReason, const char* pszFailure, const char* pszTrace,
                  const WString& strWho = WString()) const;

    // For a request of one job: that job at the first call, none after.
    template <class TJob, class TListener>
    std::unique_ptr<CModemJob> OnlyJob(CModemLink& link, TListener& listener)
    {
        if (m_bJobMade)
            return nullptr;
        m_bJobMade = true;
        return std::make_unique<TJob>(link, listener);
    }

private:
    WString DescribeFailure(const char* pszFailure, const WString& strWho, const WString& strReason) const;

    CSessionHost* m_pHost = nullptr;
    WString m_strPort;
    bool m_bJobMade = false;
};
