// The port operations the modem driver queues: open, write, read, close,
// enumerate, each announced back when done. CSerialCom performs them on a
// worker thread with a real port; tests use a recording fake, so the
// driver's logic runs without threads or Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/SerialOp.h"

class CPortOperations {
public:
    virtual ~CPortOperations() {}

    // Operations are performed in the order queued, and each finished one is
    // announced back to the dialog thread, which then owns it.
    virtual void Enqueue(std::unique_ptr<CSerialOp> pOp) = 0;
    // Discards every queued operation and aborts a read or write in progress
    // (which is then not announced).
    virtual void CancelAll() = 0;

    void WriteCommand(const std::string& strCommand) { WriteRaw(strCommand + "\r\n"); }
    void WriteRaw(const std::string& strData) { Enqueue(std::make_unique<CSerialOp>(EOpKind::OP_WRITE, strData)); }
    // Bytes that hold a secret (the SIM's PIN): written as any others, never traced.
    void WriteSecret(const std::string& strData)
    {
        std::unique_ptr<CSerialOp> pOp = std::make_unique<CSerialOp>(EOpKind::OP_WRITE, strData);
        pOp->m_bSecret = true;
        Enqueue(std::move(pOp));
    }
    void OpenPort(const std::string& strPort)
    {
        Enqueue(std::make_unique<CSerialOp>(EOpKind::OP_OPEN, std::string(strPort.c_str(), strPort.size() + 1)));
    }
    void ClosePort() { Enqueue(std::make_unique<CSerialOp>(EOpKind::OP_CLOSE, 0u)); }
    void EnumeratePorts() { Enqueue(std::make_unique<CSerialOp>(EOpKind::OP_ENUM_PORTS, 0u)); }
    // bSecret: the answer to a secret, whose echo would show it, is not traced.
    void Read(uint32_t dwBytes, bool bSecret = false)
    {
        std::unique_ptr<CSerialOp> pOp = std::make_unique<CSerialOp>(EOpKind::OP_READ, dwBytes);
        pOp->m_bSecret = bSecret;
        Enqueue(std::move(pOp));
    }
    // A read while nothing is awaited: what the phone says by itself, or
    // nothing after dwWaitMs.
    void Listen(uint32_t dwBytes, uint32_t dwWaitMs)
    {
        std::unique_ptr<CSerialOp> pOp = std::make_unique<CSerialOp>(EOpKind::OP_READ, dwBytes);
        pOp->m_dwWaitMs = dwWaitMs;
        Enqueue(std::move(pOp));
    }
};
