// What reaches the simulated phone over time, on the phone's clock: messages
// at chosen seconds or every few seconds, status reports a while after their
// submission, and the cable pulled and put back. Its clock starts when the
// program first opens the port; reports are due from their submission.
#pragma once

#include <ctime>
#include <map>
#include <vector>

#include "SimDeliver.h"
#include "SimOptions.h"

struct CSimEvent {
    enum EKind { MESSAGE, REPORT, UNPLUG, REPLUG };
    EKind nKind = MESSAGE;
    CIncomingPlan message;  // MESSAGE: stamped with the time it arrives
    CReportPlan report;     // REPORT: discharged when it arrives
    bool bBeat = false;     // MESSAGE of --incoming-every: it brings the next
};

class CSimNetwork {
public:
    explicit CSimNetwork(const CSimOptions& options) : m_options(options) {}

    // The messages that arrive, in this order and again from the first after
    // the last; none: a rotating set of senders.
    void SetIncoming(const std::vector<CIncomingPlan>& messages) { m_incoming = messages; }

    // The port's first open, at nNowMs: the timed messages and the unplugging
    // are due from now on. Later calls change nothing.
    void Start(long long nNowMs);
    bool IsStarted() const { return m_bStarted; }
    // A report on a message submitted at nNowMs, due --report-after later.
    void AddReport(long long nNowMs, const CReportPlan& plan);

    // The clock reading of the next event; -1 when none is coming.
    long long GetNextDue() const { return m_events.empty() ? -1 : m_events.begin()->first; }
    // The earliest event due by nNowMs; false when none is.
    bool TakeDue(long long nNowMs, CSimEvent& event);

    // The wall-clock time of a clock reading, as the network stamps it.
    CSimTime TimeAt(long long nMs) const;

private:
    CIncomingPlan NextMessage(long long nNowMs);

    const CSimOptions& m_options;
    std::vector<CIncomingPlan> m_incoming;
    std::multimap<long long, CSimEvent> m_events;  // by the clock reading they are due at
    bool m_bStarted = false;
    long long m_nStartMs = 0;
    std::time_t m_startTime = 0;  // the wall clock at m_nStartMs
    unsigned m_nArrived = 0;      // messages arrived so far
};
