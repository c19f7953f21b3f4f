// The modem session's side of the port: every write followed at once by the
// read of its answer, the answer read as lines (CAnswerReader), the one
// dialogue timer, writes held back while the final result code of an answer
// is still to come, and ESC for a phone still reading PDU text when the port
// is closed. It knows nothing of requests; CModem decides what is written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "phone/AnswerReader.h"
#include "phone/DialogueTimer.h"
#include "serial/PortOperations.h"

class CCommandChannel {
public:
    static const uint32_t kReadSize = 512;

    // Neither is owned.
    CCommandChannel(CPortOperations* pPort, CDialogueTimer* pTimer) : m_pPort(pPort), m_pTimer(pTimer) {}

    // Writes strData (strEcho: what the phone's echo of it is) and reads the
    // answer, awaited dwTimeout; held until the final result code awaited has
    // come. bSecret: neither the bytes nor any read of their answer are
    // traced, until EndSecret (the echo may come in several reads).
    void Send(const std::string& strData, const std::string& strEcho, uint32_t dwTimeout, bool bSecret);
    // The answer to the secret has had its final result code.
    void EndSecret() { m_bSecretAnswer = false; }
    // The step runs now, or once the final result code awaited has come.
    void WhenWritable(const std::function<void()>& fnStep);
    // The final result code that ends the answer just taken is awaited for
    // dwTimeout before anything else is written.
    void AwaitFinal(uint32_t dwTimeout);
    bool IsFinalPending() const { return m_bFinalPending; }
    // It came: what waited is written.
    void ReleaseFinal();
    // Its time is over: the read that waited for it is dropped, and what
    // waited is written all the same.
    void GoOnWithoutFinal();

    // Nothing is awaited for dwMilliseconds (the timer then fires), or until
    // the next write when 0.
    void Pause(uint32_t dwMilliseconds);
    bool IsIdle() const { return m_bIdle; }
    // A read was announced; after it, reads again when bAwaiting and no read is pending.
    void OnReadDone() { m_bReadPending = false; }
    void ReadAgainIf(bool bAwaiting);
    // Discards what is queued and aborts the transfer in progress.
    void CancelAll();
    // ESC first when the phone may be reading PDU text.
    void Close();
    void SetPduPending(bool bPending) { m_bPduPending = bPending; }

    void ArmTimer(uint32_t dwMilliseconds);
    void StopTimer();
    void OnTimerFired() { m_bTimerArmed = false; }

    CAnswerReader& Reader() { return m_reader; }
    // Counts the writes: lines read before the last one cannot answer it.
    unsigned long GetWrites() const { return m_nWrites; }
    // Counts the lines of the answer to the last write: the count so far.
    size_t CountLine() { return ++m_nLines; }

private:
    CPortOperations* m_pPort;
    CDialogueTimer* m_pTimer;
    CAnswerReader m_reader;
    bool m_bTimerArmed = false;
    bool m_bReadPending = false;
    bool m_bIdle = false;
    bool m_bPduPending = false;
    bool m_bFinalPending = false;
    bool m_bSecretAnswer = false;  // the reads bring the answer to a secret
    std::vector<std::function<void()>> m_deferred;  // steps held until the final result code
    unsigned long m_nWrites = 0;
    size_t m_nLines = 0;
};
