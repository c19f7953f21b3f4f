// Fuzz target for everything that reads phone replies: the line splitter,
// the phone-book, range and model parsers, the unsolicited codes and error
// reports, and the modem driver itself fed with arbitrary bursts in every
// request (its timer firing whenever it waits to offer a part again).
//
// Input: the first byte chooses the request (bits 0-1: phone book, device
// test, send, store), whether the handshake and the first command are
// answered for it (bit 2), a long message (bit 3), and (bit 4) reading the
// phone's messages instead of the phone book, or a send that asks for
// delivery reports and lists the awaited ones first; the rest is the phone's
// output, bursts separated by 0xFF (a byte UTF-8 never uses).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "../support/ModemHarness.h"
#include "phone/PhoneError.h"
#include "phone/PhoneReply.h"
#include "phone/Unsolicited.h"
#include "sms/Msg.h"

namespace {

void Check(bool bOk)
{
    if (!bOk)
        std::abort();
}

void FuzzParsers(const std::string& strInput)
{
    CReplyLines reply(64);
    std::vector<std::string> lines;
    for (size_t i = 0; i < strInput.size(); i += 7)
        reply.Feed(strInput.substr(i, 7), lines);
    for (const std::string& strLine : lines) {
        Check(GetFinalResult(strLine) <= EFinalResult::FINAL_ERROR);
        unsigned nFirst = 0;
        unsigned nLast = 0;
        if (ParsePhonebookRange(strLine, nFirst, nLast))
            Check(nFirst <= nLast);
        CPhonebookEntry entry;
        if (ParsePhonebookEntry(strLine, entry))
            Check(entry.strNumber.size() <= strLine.size() + 1 && entry.strName.size() <= strLine.size());
    }
    GetModelText(lines);
    Check(DescribePhoneError(strInput).size() <= strInput.size() + 80);
    CUnsolicitedFilter filter;
    for (const std::string& strLine : lines)
        filter.KeepLine(strLine);
    reply.TakePrompt();
}

void FuzzDriver(uint8_t btMode, const std::string& strInput)
{
    CModemRig rig;
    CMsg msg((btMode & 8) ? WString(170, WChar('x')) : WString(WSTR("Hello")), WString(), WSTR("12345"));
    const bool bMessages = (btMode & 16) != 0;
    rig.sink.m_bDeleteListed = true;
    switch (btMode & 3) {
    case 0:
        if (bMessages)
            rig.Start(EJob::READ_MESSAGES);
        else
            rig.Start(EJob::PHONEBOOK);
        break;
    case 1: rig.Start(EJob::DEVICE_TEST); break;
    case 2:
        msg.m_bStatusReport = bMessages;
        rig.Send(msg, bMessages);
        break;
    default: rig.Save(msg); break;
    }
    if (btMode & 4) {
        rig.Handshake();
        if ((btMode & 3) != 1)
            rig.phone.Reply("OK");
    }
    size_t nStart = 0;
    while (nStart <= strInput.size()) {
        size_t nEnd = strInput.find('\xFF', nStart);
        if (nEnd == std::string::npos)
            nEnd = strInput.size();
        const std::string strBurst = strInput.substr(nStart, nEnd - nStart).substr(0, CModem::kReadSize);
        if (rig.modem.GetState() == CModem::EState::ST_RETRY_WAIT && !rig.phone.IsReadPending())
            rig.modem.OnTimer();
        if (!rig.phone.Reply(strBurst))
            break;
        nStart = nEnd + 1;
    }
    // One close at most, and nothing queued after it.
    Check(rig.queue.Count("close") <= 1);
    bool bClosed = false;
    for (const std::string& strOp : rig.queue.m_log) {
        Check(!bClosed);
        bClosed = strOp == "close";
    }
    Check(rig.sink.Count("RequestEnded") == rig.queue.Count("close"));
    // Only what was listed whole is deleted.
    Check(rig.phone.m_strWritten.find("AT+CMGD=") == std::string::npos || rig.sink.Count("Listed") > 0);
    // Every PDU written ends with Ctrl-Z and holds no line break.
    for (const std::string& strWrite : rig.phone.m_writes)
        if (strWrite.find('\x1A') != std::string::npos)
            Check(strWrite.back() == '\x1A' && strWrite.find_first_of("\r\n") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string strInput(reinterpret_cast<const char*>(data) + 1, size - 1);
    FuzzParsers(strInput);
    FuzzDriver(data[0], strInput);
    return 0;
}
