// The queueing side of the command exchange, as the modem driver sees it.
// CSerialCom implements it with a worker thread and a real port; tests use a
// recording fake, so the driver's logic runs without threads or Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "serial/SerialOp.h"

class CSerialQueue {
public:
    virtual ~CSerialQueue() {}

    // Operations are performed in the order queued, and each finished one is
    // announced back to the dialog thread, which then owns it.
    virtual void Enqueue(std::unique_ptr<CSerialOp> pOp) = 0;
    // Discards every queued operation and aborts a read or write in progress
    // (which is then not announced).
    virtual void CancelAll() = 0;

    void WriteCommand(const std::string& strCommand) { WriteRaw(strCommand + "\r\n"); }
    void WriteRaw(const std::string& strData) { Enqueue(std::make_unique<CSerialOp>(OP_WRITE, strData)); }
    void OpenPort(const std::string& strPort)
    {
        Enqueue(std::make_unique<CSerialOp>(OP_OPEN, std::string(strPort.c_str(), strPort.size() + 1)));
    }
    void ClosePort() { Enqueue(std::make_unique<CSerialOp>(OP_CLOSE, 0u)); }
    void EnumeratePorts() { Enqueue(std::make_unique<CSerialOp>(OP_ENUM_PORTS, 0u)); }
    void Read(uint32_t dwBytes) { Enqueue(std::make_unique<CSerialOp>(OP_READ, dwBytes)); }
};
