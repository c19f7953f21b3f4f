// One port operation, handed from the dialog thread to the serial worker and
// back. Whoever receives a finished operation owns it and deletes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What an operation does.
enum class EOpKind {
    OP_READ = 0,
    OP_WRITE = 1,
    OP_OPEN = 2,
    OP_CLOSE = 3,
    OP_ENUM_PORTS = 4,
};

class CSerialOp {
public:
    // A zero-filled buffer of dwSizeBuf bytes (none for close and enumerate).
    CSerialOp(EOpKind eKind, uint32_t dwSizeBuf);
    // A buffer holding a copy of the bytes given.
    CSerialOp(EOpKind eKind, const std::string& strData);
    virtual ~CSerialOp() {}

    CSerialOp(const CSerialOp&) = delete;
    CSerialOp& operator=(const CSerialOp&) = delete;

    // The bytes of the buffer up to the first zero byte: a port's name.
    std::string GetText() const;
    // The bytes a read brought, zero bytes (line noise) included.
    std::string GetData() const;

    EOpKind m_eKind;
    std::unique_ptr<uint8_t[]> pbtBuf;  // read: bytes received, then zeros; write: bytes to send;
    uint32_t dwSizeBuf;                 // open: the port name with its terminating zero
    uint32_t m_dwTransferred = 0;       // read: the bytes that came (a copy's size for data given)
    bool m_bSecret = false;             // write: the bytes (a PIN) are never traced
    // Read: 0 waits for the first byte however long it takes; else the read
    // ends empty when none has come within this wait (a listening read,
    // which a write queued behind it waits for no longer), and is then not traced.
    uint32_t m_dwWaitMs = 0;
    // Enumerate: the ports found, in the order of the port list (PortList).
    // The list travels with the announcement: nothing of the worker's is
    // read by the dialog thread.
    std::vector<std::string> m_aPorts;
};
