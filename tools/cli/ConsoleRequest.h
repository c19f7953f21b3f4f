// One request of the console tool to the phone (send, store, phone book,
// device test), carried out by the modem driver exactly as the main window
// has it carried out: the same status texts, the same handshake time-out,
// several recipients on one open port. It adds what a script needs: an exit
// code, the phone book as text, and a time-out that cancels a request the
// phone has stopped answering, as the window's Cancel does.
//
// No Win32 here: the surroundings (output, window timers) come through
// CConsoleHost, the port through CSerialQueue, so the whole console side runs
// in the host tests too.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "phone/Modem.h"
#include "phone/ModemSink.h"
#include "serial/SerialOp.h"
#include "serial/SerialPortException.h"
#include "serial/SerialQueue.h"
#include "base/Text.h"
#include "sms/Msg.h"
#include "ui/Contact.h"

class CConsoleHost {
public:
    virtual ~CConsoleHost() {}
    // One line of standard output (status texts, phone-book entries), UTF-8.
    virtual void PrintLine(const std::string& strLine) = 0;
    // One line of standard error: what went wrong, in detail.
    virtual void PrintError(const std::string& strLine) = 0;
    // Starts, or restarts, timer nId; OnTimer(nId) follows after dwMilliseconds.
    virtual void SetTimer(unsigned nId, uint32_t dwMilliseconds) = 0;
    virtual void KillTimer(unsigned nId) = 0;
    // The system's text for a port error code.
    virtual std::string GetErrorText(uint32_t dwError) = 0;
};

class CConsoleRequest : public CModemSink {
public:
    enum {
        TIMER_HANDSHAKE = 34,  // the driver's 5 s wait for the answer to "AT"
        TIMER_DEADLINE = 35,   // the phone's silence the tool puts up with
    };
    // After a cancel, the wait for the port to close before giving up.
    static constexpr uint32_t kCloseGraceMs = 5000;

    // dwTimeoutMs: a request is cancelled when the phone has sent nothing for
    // that long since the port opened or since its last reply. The open itself
    // may take dwOpenPauseMs more (the worker's pause after a fresh open).
    CConsoleRequest(CSerialQueue* pQueue, CConsoleHost* pHost, const WString& strPort, uint32_t dwTimeoutMs,
                    uint32_t dwOpenPauseMs = 0);

    CConsoleRequest(const CConsoleRequest&) = delete;
    CConsoleRequest& operator=(const CConsoleRequest&) = delete;

    // One of these per object. The recipients are served in order, each with
    // a message (and reference number) of its own; numbers and text must
    // have been checked (IsValidNumber, CMsg::IsTooLong) before.
    void Send(const std::vector<CContact>& recipients, const WString& strText);
    void Save(const std::vector<CContact>& recipients, const WString& strText);
    void DownloadPhonebook();
    void TestPort();

    // What the message loop receives; takes ownership of both.
    void OnOperationComplete(CSerialOp* pOp, CSerialPortException* pError);
    void OnTimer(unsigned nId);

    // The request has ended (its port is closed) or was given up.
    bool IsFinished() const { return m_bFinished; }
    // kExitOk only when everything asked for was done; otherwise the first
    // failure: kExitFailed (the phone refused), kExitPort (a port error, or no
    // answer to "AT"), kExitTimeout (cancelled by the time-out).
    int GetExitCode() const;
    // The downloaded phone book, complete once the download succeeded.
    const std::vector<CContact>& GetPhonebook() const { return m_phonebook; }

private:
    // CModemSink
    void OnPhonebookEntry(const WString& strName, const WString& strNumber) override;
    void OnPhonebookDownloaded() override;
    bool OnMessageSent() override;
    bool OnMessageUploaded() override;
    void OnHandshaking() override;
    void OnRequestEnded() override;
    void OnRequestFailed() override;
    void OnDownloadingPhonebook() override;
    void OnSendingPart(uint8_t btPart) override;
    void OnSending() override;
    void OnUploadingMessage() override;
    void OnModel(const WString& strModel) override;
    void OnTimedOut() override;
    void SetTimeout(uint32_t dwMilliseconds) override;
    void KillTimeout() override;

    void StartMessages(const std::vector<CContact>& recipients, const WString& strText, bool bSave);
    // Hands the next recipient's message to the driver; false when all are served.
    bool SendNext();
    bool OnMessageDone(const char* pszStatus);
    void OnDeadline();
    void RestartDeadline(uint32_t dwExtraMs = 0);
    void Status(const std::string& strText);
    void Note(int nExitCode);
    void Finish();

    CModem m_modem;
    CConsoleHost* m_pHost;
    WString m_strPort;
    uint32_t m_dwTimeoutMs;
    uint32_t m_dwOpenPauseMs;

    std::vector<CContact> m_recipients;
    size_t m_nNext = 0;  // the recipient to serve next
    WString m_strText;
    bool m_bSave = false;
    std::vector<std::unique_ptr<CMsg>> m_messages;  // one per recipient served
    size_t m_nDone = 0;                             // messages sent or stored

    std::vector<CContact> m_phonebook;
    bool m_bSucceeded = false;  // the phone book or the maker arrived
    int m_nFailure = 0;         // the first failure's exit code
    bool m_bCanceled = false;
    bool m_bFinished = false;
};
