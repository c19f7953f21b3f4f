// The requests of one window or console tool to the phone, one at a time,
// on the modem driver: it runs each request's jobs on the named port, says
// what every request shares (connecting, the handshake, a Cancel, a port
// error, a time-out, the SIM's PIN) and takes the delivery reports the phone
// passes on while a port is open. While it listens (Listen) the port stays
// open between requests, which then run on it without a new open, and the
// receiver's jobs run between them; a lost port is opened again every 10 s.
//
// No Win32 here: the surroundings come through CSessionHost, the driver's
// timer through a CDialogueTimer, the port through CPortOperations, so the
// whole request logic runs in the host tests too.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/PhoneRequest.h"
#include "app/Receiver.h"
#include "app/RequestRecorder.h"
#include "base/Text.h"
#include "phone/DialogueTimer.h"
#include "phone/Modem.h"
#include "phone/ModemSink.h"
#include "serial/PortOperations.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"

class CPhoneSession : private CModemSink {
public:
    // The driver's one timer, as the host numbers it: the wait for an
    // answer, or for offering a refused part again.
    static constexpr unsigned TIMER_DIALOGUE = 34;

    // None is owned; all must outlive this object.
    CPhoneSession(CPortOperations* pQueue, CSessionHost* pHost, CDialogueTimer* pTimer);

    CPhoneSession(const CPhoneSession&) = delete;
    CPhoneSession& operator=(const CPhoneSession&) = delete;

    // Runs the request on the named port (the one listened on, while
    // listening); the one before must have ended. While a job of listening
    // runs, the request starts once it is over.
    // False when it has nothing to do (and has said why when that is a
    // failure); nothing runs then.
    bool Run(std::unique_ptr<CPhoneRequest> pRequest, const WString& strPort);
    // Where the delivery reports the phone passes on unasked are kept; null:
    // nowhere. Not owned.
    void SetRecorder(CRequestRecorder* pRecorder) { m_pRecorder = pRecorder; }

    // Listens on the port for the receiver (not owned), from now on, and
    // after the request that runs; null: no longer, and the port is closed
    // (after the request that runs). Another port: the one listened on is
    // closed and the other opened.
    void Listen(CReceiver* pReceiver, const WString& strPort);
    bool IsListening() const { return m_pReceiver != nullptr; }

    // The wait for each answer after the handshake (CModem::kProgressTimeout
    // unless set), and for the answer to a PDU (CModem::kSubmitTimeout).
    void SetProgressTimeout(uint32_t dwMilliseconds) { m_modem.SetProgressTimeout(dwMilliseconds); }
    void SetSubmitTimeout(uint32_t dwMilliseconds) { m_modem.SetSubmitTimeout(dwMilliseconds); }

    // The user's cancel: the exchange with the phone stops and the port is
    // closed; its announcement ends the request. Also when nothing runs.
    void Cancel();
    // The answer to OnPinRequired.
    void EnterPin(const std::string& strPin) { m_modem.EnterPin(strPin); }
    void DeclinePin() { m_modem.DeclinePin(); }

    // Every announcement of the serial worker, and the dialogue timer.
    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError);
    void OnTimer(unsigned nId = TIMER_DIALOGUE);

private:
    // CModemSink
    void OnHandshaking() override;
    std::unique_ptr<CModemJob> OnJobDone(CModemLink& link) override;
    void OnRequestEnded() override;
    void OnTimedOut() override;
    void OnPinRequired(bool bRefused) override;
    void OnReportsArrived(const std::vector<CListedPdu>& reports) override;
    void OnAnnounced(const std::vector<CAnnounced>& announced) override;

    // Listening: the receiver's next job on the open port (or, the port
    // closed, on a new open), else the wait for the next listing.
    void ServeReceiver();
    void StartChain(std::unique_ptr<CModemJob> pJob, const WString& strPort);
    void EndRequest();
    void OnPortClosed();
    enum class EIdleTimer { NONE, POLL, RETRY };
    void ArmIdle(EIdleTimer eTimer, uint32_t dwMilliseconds);

    WString Progress() const { return m_pRequest ? m_pRequest->DescribeProgress() : WString(); }
    void Status(const WString& strText) { m_pHost->OnStatus(strText, false); }

    CModem m_modem;
    CSessionHost* m_pHost;
    CDialogueTimer* m_pTimer;  // the driver's, and between jobs while listening the session's
    CRequestRecorder* m_pRecorder = nullptr;
    std::unique_ptr<CPhoneRequest> m_pRequest;  // the one running, or the last
    WString m_strPort;
    bool m_bRequestRunning = false;  // m_pRequest runs or waits for a job of listening
    bool m_bChain = false;           // the driver runs jobs: from its start to OnRequestEnded
    std::unique_ptr<CModemJob> m_pWaiting;  // the request's first job, behind a job of listening
    CReceiver* m_pReceiver = nullptr;
    WString m_strListenPort;
    bool m_bPortFailed = false;  // the port failed, or the phone stopped answering, since the chain began
    EIdleTimer m_eIdle = EIdleTimer::NONE;
};
