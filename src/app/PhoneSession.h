// The requests of one window or console tool to the phone, one at a time,
// on the modem driver: it runs each request's jobs on the named port, says
// what every request shares (connecting, the handshake, a Cancel, a port
// error, a time-out, the SIM's PIN) and takes the delivery reports the phone
// passes on while a port is open.
//
// No Win32 here: the surroundings come through CSessionHost, the driver's
// timer through a CDialogueTimer, the port through CPortOperations, so the
// whole request logic runs in the host tests too.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "app/PhoneRequest.h"
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

    // Runs the request on the named port; the one before must have ended.
    // False when it has nothing to do (and has said why when that is a
    // failure); nothing runs then.
    bool Run(std::unique_ptr<CPhoneRequest> pRequest, const WString& strPort);
    // Where the delivery reports the phone passes on unasked are kept; null:
    // nowhere. Not owned.
    void SetRecorder(CRequestRecorder* pRecorder) { m_pRecorder = pRecorder; }

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

    WString Progress() const { return m_pRequest ? m_pRequest->DescribeProgress() : WString(); }
    void Status(const WString& strText) { m_pHost->OnStatus(strText, false); }

    CModem m_modem;
    CSessionHost* m_pHost;
    CRequestRecorder* m_pRecorder = nullptr;
    std::unique_ptr<CPhoneRequest> m_pRequest;  // the one running, or the last
    WString m_strPort;
};
