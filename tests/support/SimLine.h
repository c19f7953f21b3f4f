// The phone model in-process: the simulator's engine (CSimPhone) at the end
// of a simulated serial line, behind the port operations and the dialogue
// timer the request logic uses, all on one simulated clock. The line does
// what the serial worker does (SerialCom, SerialPortAsync): operations one
// at a time in the order queued, each announced when done; an open writes
// ESC, pauses 2 s and discards what came meanwhile; a write goes out byte by
// byte at 9600 baud, each byte reaching the phone at its time; a read of 512
// bytes waits for the first byte and ends 50 ms after the last one, or full
// (a listening read also at the end of its wait, empty if nothing came);
// CancelAll aborts the read or write in progress, unannounced. The phone's
// bursts come back the same way, after their pauses. Step() takes one event
// at a time, so that a test can put a fault between any two: a write about
// to go, a byte about to arrive.
// The phone sees each open and close, and what its network brings on the
// clock comes over the line as its announcements. With its cable pulled, the
// port open fails as a vanished device until it is closed, and an open finds
// no port until the cable is back.
#pragma once

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "SimPhone.h"
#include "phone/DialogueTimer.h"
#include "serial/PortOperations.h"
#include "serial/SerialPortException.h"

class CSimLine : public CPortOperations, public CDialogueTimer {
public:
    typedef long long Us;  // the clock, in microseconds
    static constexpr Us kByteUs = 1042;        // 10 bits at 9600 baud
    static constexpr Us kReadPauseUs = 50000;  // the silence that ends a read
    static constexpr Us kOpenPauseUs = 2000000;
    static constexpr uint32_t kGone = 31;      // a device that stopped working (ERROR_GEN_FAILURE)
    typedef std::function<void(std::unique_ptr<CSerialOp>, std::unique_ptr<CSerialPortException>)> FnAnnounce;

    explicit CSimLine(const CSimOptions& options) : m_phone(options, m_book)
    {
        m_phone.SetClock([this] { return m_now / 1000; });
    }

    // Whoever drives the request logic: every announcement, and the timer.
    FnAnnounce m_announce;
    std::function<void()> m_onTimer;
    // Before a write goes out ("write", its bytes) and before a byte arrives ("byte", the byte).
    std::function<void(const char* pszStep, const std::string& strWhat)> m_onStep;
    std::vector<std::string> m_log;  // the phone's log: one object's fields a line

    // The owner, a CSendUser or any with OnOperationComplete and OnTimer, is driven from now on.
    template <class TOwner>
    void Drive(TOwner& owner)
    {
        m_announce = [&owner](std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) {
            owner.OnOperationComplete(std::move(pOp), std::move(pError));
        };
        m_onTimer = [&owner] { owner.OnTimer(); };
    }
    // Steps while bBusy() holds; false when nothing more happens meanwhile,
    // or the clock has passed tLimit.
    bool RunWhile(const std::function<bool()>& bBusy, Us tLimit = 4LL * 3600 * 1000000)
    {
        while (bBusy()) {
            if (m_now > tLimit || !Step())
                return false;
        }
        return true;
    }
    // The events of the phone's log of that name ("command", "pdu", "abort", ...).
    // From the nFrom-th line of the log on.
    std::vector<nlohmann::json> Events(const char* pszEvent, size_t nFrom = 0) const
    {
        std::vector<nlohmann::json> events;
        const std::string strKey = std::string("\"event\":\"") + pszEvent + "\"";
        for (size_t i = nFrom; i < m_log.size(); ++i) {
            if (m_log[i].find(strKey) != std::string::npos)
                events.push_back(nlohmann::json::parse("{" + m_log[i] + "}"));
        }
        return events;
    }

    CSimPhone& Phone() { return m_phone; }
    // The phone's bursts so far that end with a final "OK".
    size_t CountFinals() const { return m_nFinals; }
    Us Now() const { return m_now; }
    bool IsOpen() const { return m_bOpen; }

    // --- CPortOperations, CDialogueTimer ---------------------------------------------
    void Enqueue(std::unique_ptr<CSerialOp> pOp) override { m_queue.push_back(std::move(pOp)); }
    void CancelAll() override
    {
        m_queue.clear();
        if (m_pOp && (m_pOp->m_eKind == EOpKind::OP_READ || m_pOp->m_eKind == EOpKind::OP_WRITE))
            Abort();
    }
    void SetTimeout(uint32_t dwMilliseconds) override
    {
        m_timerPeriod = Us(dwMilliseconds) * 1000;
        m_timerDue = m_now + m_timerPeriod;
    }
    void KillTimeout() override { m_timerDue = -1; }

    // --- Faults ----------------------------------------------------------------------
    // The read or write in progress fails with the error, or else the next
    // operation but a close.
    void FailNext(uint32_t dwError)
    {
        m_dwFail = dwError;
        if (m_pOp && (m_pOp->m_eKind == EOpKind::OP_READ || m_pOp->m_eKind == EOpKind::OP_WRITE))
            m_opDue = m_now;
    }
    // Whatever the phone says is lost until the port is closed.
    void Silence()
    {
        m_bSilenced = true;
        m_fromPhone.clear();
    }
    // Bytes on the line now, behind what the phone is sending.
    void Inject(const std::string& strBytes) { Schedule(strBytes, 0); }
    // The phone's next final "OK" is lost (nLateMs 0) or comes that much later.
    void HoldFinal(unsigned nLateMs)
    {
        m_bHoldFinal = true;
        m_nFinalLateMs = nLateMs;
    }
    // The program is gone: its port closed, its operations and timer with it.
    void Kill()
    {
        m_queue.clear();
        m_pOp.reset();
        m_announced.clear();
        Close();
        m_timerDue = -1;
    }

    // --- The clock -------------------------------------------------------------------
    // One event: an announcement handed over, an operation started, or the
    // clock moved on to the next thing that happens. False when nothing will.
    bool Step()
    {
        if (!m_announced.empty()) {
            std::pair<std::unique_ptr<CSerialOp>, std::unique_ptr<CSerialPortException>> ann =
                std::move(m_announced.front());
            m_announced.pop_front();
            if (m_announce)
                m_announce(std::move(ann.first), std::move(ann.second));
            return true;
        }
        if (!m_pOp && !m_queue.empty()) {
            StartNext();
            return true;
        }
        Us due = -1;
        auto sooner = [&due](Us t) {
            if (t >= 0 && (due < 0 || t < due))
                due = t;
        };
        sooner(m_pOp ? m_opDue : -1);
        sooner(m_toPhone.empty() ? -1 : m_toPhone.front().first);
        sooner(m_fromPhone.empty() ? -1 : m_fromPhone.front().first);
        sooner(m_timerDue);
        sooner(!m_strRepeat.empty() && m_fromPhone.empty() ? m_repeatDue : -1);
        const Us tNetwork = m_phone.GetNextDue() >= 0 ? m_phone.GetNextDue() * 1000 : -1;
        sooner(tNetwork);
        if (due < 0)
            return false;
        if (!m_toPhone.empty() && m_toPhone.front().first == due) {
            // The bytes that reach the phone before anything else happens,
            // up to one it answers.
            Us tNext = m_pOp ? m_opDue : -1;
            for (Us t : {m_fromPhone.empty() ? -1 : m_fromPhone.front().first, m_timerDue})
                tNext = t >= 0 && (tNext < 0 || t < tNext) ? t : tNext;
            do {
                m_now = m_toPhone.front().first;
                const char ch = m_toPhone.front().second;
                m_toPhone.pop_front();
                if (Perform(ch))
                    break;
            } while (!m_toPhone.empty() && (tNext < 0 || m_toPhone.front().first < tNext));
            return true;
        }
        m_now = due > m_now ? due : m_now;
        if (!m_fromPhone.empty() && m_fromPhone.front().first == due) {
            Arrive();
        } else if (m_pOp && m_opDue == due) {
            Complete();
        } else if (due == tNetwork) {  // what the network brings now
            std::vector<CSimAction> actions;
            m_phone.Tick(actions);
            Act(actions);
        } else if (due != m_timerDue) {  // a silent phone's babble, again
            Schedule(m_strRepeat, 0);
            m_repeatDue = m_now + m_repeatUs;
        } else {
            m_timerDue += m_timerPeriod;  // a window timer fires until killed
            if (m_onTimer)
                m_onTimer();
        }
        return true;
    }

private:
    typedef std::deque<std::pair<Us, char>> CBytes;

    void StartNext()
    {
        m_pOp = std::move(m_queue.front());
        m_queue.pop_front();
        m_opDue = m_now;
        m_read.clear();
        const EOpKind eKind = m_pOp->m_eKind;
        if (eKind == EOpKind::OP_WRITE && m_onStep)
            m_onStep("write", std::string(reinterpret_cast<const char*>(m_pOp->pbtBuf.get()), m_pOp->dwSizeBuf));
        if (!m_pOp)  // the step killed the program
            return;
        if (eKind == EOpKind::OP_OPEN && !m_bOpen && (m_phone.IsHungUp() || m_phone.IsUnplugged()))
            m_dwFail = 2;  // the phone's link is gone: not found
        if (m_bDead && eKind != EOpKind::OP_CLOSE && eKind != EOpKind::OP_ENUM_PORTS)
            m_dwFail = kGone;  // opened before the cable was pulled: it never works again
        if (m_dwFail && eKind != EOpKind::OP_CLOSE && eKind != EOpKind::OP_ENUM_PORTS)
            return;  // fails at once
        if (eKind == EOpKind::OP_OPEN && !m_bOpen) {
            m_bOpen = true;
            m_bSilenced = false;
            std::vector<CSimAction> actions;
            m_phone.PortOpened(actions);
            Act(actions);
            m_opDue = Send(std::string(1, '\x1B')) + kOpenPauseUs;
        } else if (eKind == EOpKind::OP_CLOSE) {
            Close();
        } else if (eKind == EOpKind::OP_WRITE) {
            m_opDue = Send(std::string(reinterpret_cast<const char*>(m_pOp->pbtBuf.get()), m_pOp->dwSizeBuf));
        } else if (eKind == EOpKind::OP_READ) {
            m_opDue = -1;
            m_readEnd = m_pOp->m_dwWaitMs ? m_now + Us(m_pOp->m_dwWaitMs) * 1000 : -1;
            while (!m_input.empty() && m_read.size() < m_pOp->dwSizeBuf) {
                m_read += m_input.front();
                m_input.pop_front();
            }
            Reading(m_now);
        }
    }

    // Bytes to the phone, one per byte time behind those on their way; when the last one is out.
    Us Send(const std::string& strBytes)
    {
        Us t = m_toPhone.empty() ? m_now : m_toPhone.back().first;
        if (!m_bOpen || m_phone.IsHungUp())
            return t;
        for (char ch : strBytes)
            m_toPhone.emplace_back(t += kByteUs, ch);
        return t;
    }

    void Reading(Us tLast)
    {
        if (m_read.size() >= m_pOp->dwSizeBuf)
            m_opDue = m_now;
        else if (!m_read.empty())
            m_opDue = m_readEnd >= 0 && m_readEnd < tLast + kReadPauseUs ? m_readEnd : tLast + kReadPauseUs;
        else
            m_opDue = m_readEnd;
    }

    // True when the phone did more than log.
    bool Perform(char ch)
    {
        std::vector<CSimAction> actions;
        m_phone.Receive(ch, actions);
        return Act(actions);
    }

    bool Act(const std::vector<CSimAction>& actions)
    {
        bool bActed = false;
        for (const CSimAction& action : actions) {
            bActed = bActed || action.nKind != CSimAction::LOG;
            if (action.nKind == CSimAction::SEND)
                Schedule(action.strData, action.nDelayMs);
            else if (action.nKind == CSimAction::LOG)
                m_log.push_back(action.strData);
            else if (action.nKind == CSimAction::HANGUP || action.nKind == CSimAction::UNPLUG)
                Hangup();
            else if (action.nKind == CSimAction::PLUG)
                m_dwFail = 0;
            else if (action.nKind == CSimAction::REPEAT) {
                m_strRepeat = action.strData;
                m_repeatUs = Us(action.nDelayMs ? action.nDelayMs : 1) * 1000;
                m_repeatDue = m_now + m_repeatUs;
            }
        }
        return bActed;
    }

    void Schedule(std::string strBurst, unsigned nDelayMs)
    {
        static const std::string kOk = "\r\nOK\r\n";
        const size_t nOk = strBurst.rfind(kOk);
        const bool bFinal = nOk != std::string::npos && nOk + kOk.size() == strBurst.size();
        m_nFinals += bFinal;
        if (m_bHoldFinal && bFinal) {
            m_bHoldFinal = false;
            strBurst.erase(nOk);
            Schedule(strBurst, nDelayMs);
            if (m_nFinalLateMs)
                Schedule(kOk, m_nFinalLateMs);
            return;
        }
        if (m_bSilenced || strBurst.empty())
            return;
        const Us tFree = m_fromPhone.empty() ? m_now : m_fromPhone.back().first;
        Us t = (tFree > m_now ? tFree : m_now) + Us(nDelayMs) * 1000;
        for (char ch : strBurst)
            m_fromPhone.emplace_back(t += kByteUs, ch);
    }

    // A byte reaches the port: into the read in progress, or the port's
    // buffer; lost while the port is closed.
    void Arrive()
    {
        if (m_onStep && m_bOpen)
            m_onStep("byte", std::string(1, m_fromPhone.front().second));
        if (m_fromPhone.empty() || m_fromPhone.front().first != m_now)
            return;  // the step silenced the phone or killed the program
        const char ch = m_fromPhone.front().second;
        m_fromPhone.pop_front();
        if (!m_bOpen)
            return;
        if (m_pOp && m_pOp->m_eKind == EOpKind::OP_READ && !m_dwFail) {
            m_read += ch;
            Reading(m_now);
        } else {
            m_input.push_back(ch);
        }
    }

    void Complete()
    {
        std::unique_ptr<CSerialOp> pOp = std::move(m_pOp);
        std::unique_ptr<CSerialPortException> pError;
        if (m_dwFail && pOp->m_eKind != EOpKind::OP_CLOSE && pOp->m_eKind != EOpKind::OP_ENUM_PORTS) {
            pError = std::make_unique<CSerialPortException>(m_dwFail);
            m_dwFail = m_phone.IsHungUp() || m_phone.IsUnplugged() ? kGone : 0;
            if (pOp->m_eKind == EOpKind::OP_WRITE)
                Abort(false);
        } else if (pOp->m_eKind == EOpKind::OP_OPEN) {
            m_input.clear();  // what came during the pause
        } else if (pOp->m_eKind == EOpKind::OP_READ) {
            std::memcpy(pOp->pbtBuf.get(), m_read.data(), m_read.size());
            pOp->m_dwTransferred = static_cast<uint32_t>(m_read.size());
        }
        m_announced.emplace_back(std::move(pOp), std::move(pError));
    }

    // A write stops where it is: what has not left yet never does.
    void Abort(bool bDrop = true)
    {
        while (!m_toPhone.empty() && m_toPhone.back().first > m_now)
            m_toPhone.pop_back();
        if (bDrop)
            m_pOp.reset();
    }

    void Close()
    {
        Abort(false);
        if (m_bOpen) {
            std::vector<CSimAction> actions;
            m_phone.PortClosed(actions);
            Act(actions);
        }
        m_bOpen = false;
        m_bSilenced = false;
        m_input.clear();
        m_bDead = false;
    }

    // The phone is gone: what is in progress fails, and every later operation.
    void Hangup()
    {
        m_bDead = m_bOpen;
        m_fromPhone.clear();
        m_dwFail = kGone;
        if (m_pOp && (m_pOp->m_eKind == EOpKind::OP_READ || m_pOp->m_eKind == EOpKind::OP_WRITE))
            m_opDue = m_now;
    }

    CSimPhonebook m_book;
    CSimPhone m_phone;
    Us m_now = 0;
    std::deque<std::unique_ptr<CSerialOp>> m_queue;
    std::unique_ptr<CSerialOp> m_pOp;  // in progress
    Us m_opDue = -1;                   // when it ends; -1: a read waiting for its first byte
    Us m_readEnd = -1;                 // the end of a listening read's wait
    std::string m_read;                // what the read in progress has
    std::deque<std::pair<std::unique_ptr<CSerialOp>, std::unique_ptr<CSerialPortException>>> m_announced;
    bool m_bOpen = false;
    std::deque<char> m_input;  // arrived while no read was waiting
    CBytes m_toPhone, m_fromPhone;
    Us m_timerDue = -1, m_timerPeriod = 0;
    uint32_t m_dwFail = 0;
    bool m_bSilenced = false;
    bool m_bDead = false;  // the port open was on a cable pulled since (or a phone hung up)
    bool m_bHoldFinal = false;
    unsigned m_nFinalLateMs = 0;
    size_t m_nFinals = 0;
    std::string m_strRepeat;  // what a silent phone sends again and again while it sends nothing else
    Us m_repeatUs = 0, m_repeatDue = -1;
};
