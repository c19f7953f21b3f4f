// Runs CModem without threads or a port: a recording queue stands in for the
// command exchange, CPhoneLink plays the serial worker (it performs queued
// operations in order and announces them) and answers each read with a burst
// the test scripts, and CRecordingSink notes every call the driver makes.
// No test framework here: the fuzz target uses it too.
#pragma once

#include <cstring>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "phone/DeviceTestJob.h"
#include "phone/Modem.h"
#include "phone/ModemSink.h"
#include "phone/PhonebookJob.h"
#include "phone/ReadMessagesJob.h"
#include "phone/SendJob.h"
#include "serial/PortOperations.h"

// What the driver writes before a request's own commands, one write a line:
// the handshake, then the lines given (the request's first command and
// what follows it). kSendStart is the same as one text, up to a message's
// first part: the handshake and the switch to PDU mode.
inline std::vector<std::string> HandshakeWrites(std::initializer_list<std::string> then = {})
{
    std::vector<std::string> writes = {"AT\r\n", "ATE0\r\n"};
    writes.insert(writes.end(), then);
    return writes;
}
const char kSendStart[] = "AT\r\nATE0\r\nAT+CMGF=0\r\n";

class CFakePortOperations : public CPortOperations {
public:
    void Enqueue(std::unique_ptr<CSerialOp> pOp) override
    {
        m_log.push_back(Describe(*pOp));
        m_queue.push_back(std::move(pOp));
    }
    void CancelAll() override
    {
        m_log.push_back("cancel");
        m_queue.clear();
    }

    static std::string Describe(const CSerialOp& op)
    {
        switch (op.m_eKind) {
        case EOpKind::OP_READ:
            return "read " + std::to_string(op.dwSizeBuf) + (op.m_bSecret ? " secret" : "") + (op.m_dwWaitMs ? " wait" : "");
        case EOpKind::OP_WRITE: return "write " + std::string(reinterpret_cast<const char*>(op.pbtBuf.get()), op.dwSizeBuf);
        case EOpKind::OP_OPEN: return "open " + op.GetText();
        case EOpKind::OP_CLOSE: return "close";
        default: return "enum";
        }
    }

    size_t Count(const std::string& strEntry) const
    {
        size_t n = 0;
        for (const std::string& s : m_log)
            n += s == strEntry;
        return n;
    }

    std::deque<std::unique_ptr<CSerialOp>> m_queue;
    std::vector<std::string> m_log;  // every queueing call, in order
};

// Records the driver's timer too, in the same order as the calls, and is
// the listener of every job but a send's.
class CRecordingSink : public CModemSink,
                       public CDialogueTimer,
                       public CPhonebookListener,
                       public CDeviceTestListener,
                       public CReadMessagesListener {
public:
    // CModemSink
    void OnHandshaking() override { Note("Handshaking"); }
    std::unique_ptr<CModemJob> OnJobDone(CModemLink& link) override
    {
        return m_onJobDone ? m_onJobDone(link) : nullptr;
    }
    void OnRequestEnded() override { Note("RequestEnded"); }
    void OnTimedOut() override { Note("TimedOut"); }
    void OnPinRequired(bool bRefused) override
    {
        Note(bRefused ? "PinRefused" : "PinRequired");
        if (m_onPin)
            m_onPin(bRefused);
    }
    // Kept apart from the calls: the codes that bring them are otherwise
    // ignored in every state.
    void OnReportsArrived(const std::vector<CListedPdu>& reports) override
    {
        m_reports.insert(m_reports.end(), reports.begin(), reports.end());
    }
    void OnAnnounced(const std::vector<CAnnounced>& announced) override
    {
        m_announced.insert(m_announced.end(), announced.begin(), announced.end());
    }
    // CDialogueTimer
    void SetTimeout(uint32_t dwMilliseconds) override { Note("SetTimeout " + std::to_string(dwMilliseconds)); }
    void KillTimeout() override { Note("KillTimeout"); }
    // The jobs' listeners
    void OnFailed(const CSmsException& error) override
    {
        m_lastFailure = error;
        Note("RequestFailed");
    }
    void OnDownloading() override { Note("DownloadingPhonebook"); }
    void OnEntry(const WString& strName, const WString& strNumber) override
    {
        m_entries.push_back(WideToUtf8(strName) + "|" + WideToUtf8(strNumber));
        Note("Entry " + m_entries.back());
    }
    void OnDownloaded() override { Note("PhonebookDownloaded"); }
    void OnTested(const CDeviceInfo& info) override
    {
        m_device = info;
        Note("Model " + info.strMaker);
    }
    void OnReading() override { Note("ReadingMessages"); }
    std::vector<unsigned> OnListed(const std::vector<CListedPdu>& pdus) override
    {
        Note("Listed");
        std::vector<unsigned> deletes;
        for (const CListedPdu& pdu : pdus) {
            if (m_bDeleteListed && pdu.bComplete)
                deletes.push_back(pdu.nIndex);
        }
        return deletes;
    }
    void OnRead() override { Note("MessagesRead"); }

    size_t Count(const std::string& strCall) const
    {
        size_t n = 0;
        for (const std::string& s : m_calls)
            n += s == strCall;
        return n;
    }
    // The calls without those of the timer.
    std::vector<std::string> Events() const
    {
        std::vector<std::string> events;
        for (const std::string& s : m_calls) {
            if (s.compare(0, 10, "SetTimeout") != 0 && s != "KillTimeout")
                events.push_back(s);
        }
        return events;
    }
    // The period of the timer now running; 0 when none runs.
    uint32_t Timer() const
    {
        for (auto it = m_calls.rbegin(); it != m_calls.rend(); ++it) {
            if (*it == "KillTimeout")
                return 0;
            if (it->compare(0, 11, "SetTimeout ") == 0)
                return static_cast<uint32_t>(std::stoul(it->substr(11)));
        }
        return 0;
    }

    std::vector<std::string> m_calls;
    std::vector<std::string> m_entries;  // "name|number"
    bool m_bDeleteListed = false;           // OnListed asks to delete every PDU listed whole
    std::vector<CListedPdu> m_reports;      // passed on by the phone ("+CDS:")
    std::vector<CAnnounced> m_announced;    // announced by the phone ("+CMTI:", "+CDSI:")
    std::function<std::unique_ptr<CModemJob>(CModemLink&)> m_onJobDone;  // the next job; none when empty
    std::function<void(bool)> m_onPin;      // answers OnPinRequired
    CDeviceInfo m_device;                   // what the last port test learnt
    bool m_bSubmit = true;                  // what a send's OnSubmitting answers
    std::vector<unsigned> m_parts, m_refs;  // of every part accepted: its number and the phone's reference
    CSmsException m_lastFailure;            // the failure of the last request that failed
    WString m_strNotConfirmed;              // why the last message was not confirmed

    void Note(const std::string& str) { m_calls.push_back(str); }
};

// What a message's send tells, noted in the sink's calls as "Sending",
// "SendingPart 2" or "UploadingMessage" (the prompt), "MessageSent" or
// "MessageUploaded" (every part accepted), "Retrying <meaning>",
// "RequestFailed" and "NotConfirmed".
class CRecordingSendListener : public CSendListener {
public:
    CRecordingSendListener(CRecordingSink& sink, bool bSave) : m_sink(sink), m_bSave(bSave) {}

    bool OnSubmitting(unsigned nPart, unsigned nParts) override
    {
        m_sink.Note(m_bSave ? "UploadingMessage" : nParts == 1 ? "Sending" : "SendingPart " + std::to_string(nPart));
        return m_sink.m_bSubmit;
    }
    void OnPartAccepted(unsigned nPart, unsigned nMr) override
    {
        m_sink.m_parts.push_back(nPart);
        m_sink.m_refs.push_back(nMr);
        m_sink.Note(m_bSave ? "MessageUploaded" : "MessageSent");
    }
    void OnRetrying(unsigned /*nPart*/, const WString& strMeaning) override
    {
        if (!m_bSave)
            m_sink.Note("Retrying " + WideToUtf8(strMeaning));
    }
    void OnFailed(const CSmsException& error) override { m_sink.OnFailed(error); }
    void OnNotConfirmed(unsigned /*nPart*/, const WString& strReason) override
    {
        m_sink.m_strNotConfirmed = strReason;
        m_sink.Note("NotConfirmed");
    }
    std::vector<unsigned> OnListed(const std::vector<CListedPdu>& pdus) override { return m_sink.OnListed(pdus); }

private:
    CRecordingSink& m_sink;
    bool m_bSave;
};

// A job of each kind but a send's, noted in the sink.
enum class EJob { SEND, SAVE, PHONEBOOK, DEVICE_TEST, READ_MESSAGES };

// The job of a send (or save) of a copy of msg, from its current part on,
// noted in the sink; bListFirst: the memory listed first for the reports.
inline std::unique_ptr<CModemJob> MakeSendJob(CModemLink& link, CRecordingSink& sink, const CMsg& msg,
                                             bool bSave = false, bool bListFirst = false)
{
    return std::make_unique<CSendJob>(link, std::make_unique<CMsg>(msg),
                                      std::make_unique<CRecordingSendListener>(sink, bSave), bSave, bListFirst);
}

inline std::unique_ptr<CModemJob> MakeJob(CModemLink& link, CRecordingSink& sink, EJob eJob)
{
    switch (eJob) {
    case EJob::PHONEBOOK: return std::make_unique<CPhonebookJob>(link, sink);
    case EJob::DEVICE_TEST: return std::make_unique<CDeviceTestJob>(link, sink);
    case EJob::READ_MESSAGES: return std::make_unique<CReadMessagesJob>(link, sink);
    default: return MakeSendJob(link, sink, CMsg(WSTR("Hi"), WString(), WSTR("0123456789")), eJob == EJob::SAVE);
    }
}

class CPhoneLink {
public:
    typedef std::function<void(std::unique_ptr<CSerialOp>, std::unique_ptr<CSerialPortException>)> FnAnnounce;

    CPhoneLink(CFakePortOperations& queue, CModem& modem)
        : m_queue(queue),
          m_announce([&modem](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
              modem.OnOperationComplete(std::move(pOp), std::move(pError));
          })
    {
    }
    // For an owner that sees every announcement before its driver does.
    CPhoneLink(CFakePortOperations& queue, FnAnnounce announce) : m_queue(queue), m_announce(std::move(announce)) {}

    // Performs queued operations up to the next read, which stays queued for
    // Reply: opens and closes succeed, written bytes reach the phone.
    void Run()
    {
        while (!m_queue.m_queue.empty() && m_queue.m_queue.front()->m_eKind != EOpKind::OP_READ) {
            std::unique_ptr<CSerialOp> op = Take();
            if (op->m_eKind == EOpKind::OP_WRITE) {
                m_writes.emplace_back(reinterpret_cast<const char*>(op->pbtBuf.get()), op->dwSizeBuf);
                m_strWritten += m_writes.back();
            }
            m_announce(std::move(op), nullptr);
        }
    }

    bool IsReadPending()
    {
        Run();
        return !m_queue.m_queue.empty();
    }

    // Answers the pending read with one burst (at most the read's size), then
    // performs what the driver queued in return. False when no read was pending.
    bool Reply(const std::string& strBurst)
    {
        if (!IsReadPending())
            return false;
        std::unique_ptr<CSerialOp> op = Take();
        const size_t n = strBurst.size() < op->dwSizeBuf ? strBurst.size() : op->dwSizeBuf;
        if (n)
            std::memcpy(op->pbtBuf.get(), strBurst.data(), n);
        op->m_dwTransferred = static_cast<uint32_t>(n);
        m_announce(std::move(op), nullptr);
        Run();
        return n == strBurst.size();
    }

    // Fails the next queued operation with a port error, then runs on.
    bool FailNext(uint32_t dwError)
    {
        if (m_queue.m_queue.empty())
            return false;
        std::unique_ptr<CSerialOp> op = Take();
        m_announce(std::move(op), std::make_unique<CSerialPortException>(dwError));
        Run();
        return true;
    }

    // Answers every read like a phone with echo off until the driver stops
    // reading. The script may answer a command itself; "-" leaves it to
    // Answer, an empty reply stops serving.
    void Serve(const std::function<std::string(const std::string&)>& script = nullptr)
    {
        while (IsReadPending()) {
            const std::string& strCommand = m_writes.back();
            std::string strReply = script ? script(strCommand) : std::string("-");
            if (strReply == "-")
                strReply = Answer(strCommand);
            if (strReply.empty())
                return;
            Reply(strReply);
        }
    }

    static std::string Answer(const std::string& strCommand)
    {
        if (strCommand.compare(0, 8, "AT+CMGS=") == 0 || strCommand.compare(0, 8, "AT+CMGW=") == 0)
            return "\r\n> ";
        if (!strCommand.empty() && strCommand.back() == '\x1A')
            return "\r\n+CMGS: 7\r\n\r\nOK\r\n";
        if (strCommand == "AT+CGMI\r\n")
            return "\r\nAcme Mobile\r\n\r\nOK\r\n";
        if (strCommand == "AT+CPBR=?\r\n")
            return "\r\n+CPBR: (1-2),40,14\r\n\r\nOK\r\n";
        if (strCommand == "AT+CPBR=1,2\r\n")
            return "\r\n+CPBR: 1,\"5551234\",129,\"Anna\"\r\n+CPBR: 2,\"4930\",145,\"Bob\"\r\n\r\nOK\r\n";
        return "\r\nOK\r\n";
    }

    size_t Count(const std::string& strWrite) const
    {
        size_t n = 0;
        for (const std::string& s : m_writes)
            n += s == strWrite;
        return n;
    }

    std::vector<std::string> m_writes;  // every write the phone received
    std::string m_strWritten;           // the same bytes, run together

private:
    std::unique_ptr<CSerialOp> Take()
    {
        std::unique_ptr<CSerialOp> op = std::move(m_queue.m_queue.front());
        m_queue.m_queue.pop_front();
        return op;
    }

    CFakePortOperations& m_queue;
    FnAnnounce m_announce;
};

// The three together, with a phone that is handed a request and the
// handshake answered.
struct CModemRig {
    CFakePortOperations queue;
    CRecordingSink sink;
    CModem modem{&queue, &sink, &sink};
    CPhoneLink phone{queue, modem};

    void Send(const CMsg& msg, bool bListFirst = false) { modem.Start(MakeSendJob(modem.Link(), sink, msg, false, bListFirst), WSTR("COM5")); }
    void Save(const CMsg& msg) { modem.Start(MakeSendJob(modem.Link(), sink, msg, true), WSTR("COM5")); }
    // A job of the kind on COM5 (a send or save: of "Hi" to 0123456789).
    void Start(EJob eJob, const WString& strPort = WSTR("COM5")) { modem.Start(MakeJob(modem.Link(), sink, eJob), strPort); }

    void Handshake()
    {
        phone.Reply("\r\nOK\r\n");
        phone.Reply("\r\nOK\r\n");
    }
};
