#include "SimNetwork.h"

#include "SimStore.h"

namespace {

// The senders of --incoming-every without a file, in turn: a plain text, one
// that needs UCS-2, and one long enough for two parts.
struct CRotation {
    const char* pszSender;
    const char* pszEncoding;
    const char* pszText;
};
const CRotation kRotation[] = {
    {"+4917012345", "gsm7", "Are you still coming tonight?"},
    {"+447700900123", "ucs2", "Привет! Call me when you are free 🙂"},
    {"+33612345678", "gsm7",
     "The train is late again, so I will be at the station at ten instead of nine. Do not wait "
     "outside in the cold: the cafe on the corner has seats, and I will find you there."},
};

} // namespace

void CSimNetwork::Start(long long nNowMs)
{
    if (m_bStarted)
        return;
    m_bStarted = true;
    m_nStartMs = nNowMs;
    m_startTime = std::time(nullptr);
    CSimEvent message;
    for (unsigned nAt : m_options.incomingAt)
        m_events.emplace(nNowMs + nAt * 1000LL, message);
    if (m_options.nIncomingEvery) {
        message.bBeat = true;
        m_events.emplace(nNowMs + m_options.nIncomingEvery * 1000LL, message);
    }
    if (m_options.nUnplugAt >= 0) {
        CSimEvent unplug;
        unplug.nKind = CSimEvent::UNPLUG;
        const long long nAtMs = nNowMs + m_options.nUnplugAt * 1000LL;
        m_events.emplace(nAtMs, unplug);
        unplug.nKind = CSimEvent::REPLUG;
        m_events.emplace(nAtMs + m_options.nUnplugFor * 1000LL, unplug);
    }
}

void CSimNetwork::AddReport(long long nNowMs, const CReportPlan& plan)
{
    CSimEvent report;
    report.nKind = CSimEvent::REPORT;
    report.report = plan;
    m_events.emplace(nNowMs + m_options.nReportAfter * 1000LL, report);
}

bool CSimNetwork::TakeDue(long long nNowMs, CSimEvent& event)
{
    if (m_events.empty() || m_events.begin()->first > nNowMs)
        return false;
    const long long nDueMs = m_events.begin()->first;
    event = m_events.begin()->second;
    m_events.erase(m_events.begin());
    if (event.nKind == CSimEvent::MESSAGE) {
        // The beat goes on from when this one was due, however late it is taken.
        if (event.bBeat)
            m_events.emplace(nDueMs + m_options.nIncomingEvery * 1000LL, event);
        event.message = NextMessage(nDueMs);
    } else if (event.nKind == CSimEvent::REPORT) {
        event.report.discharge = TimeAt(nDueMs);
    }
    return true;
}

CIncomingPlan CSimNetwork::NextMessage(long long nNowMs)
{
    const unsigned n = m_nArrived++;
    CIncomingPlan plan;
    if (!m_incoming.empty()) {
        plan = m_incoming[n % m_incoming.size()];
        // Another round of the file: another reference, so that its parts
        // are not taken for the earlier round's.
        const unsigned nRound = static_cast<unsigned>(n / m_incoming.size());
        plan.nRef = (plan.nRef + nRound) % (plan.b16BitRef ? 0x10000u : 0x100u);
    } else {
        const CRotation& rotation = kRotation[n % (sizeof(kRotation) / sizeof(kRotation[0]))];
        plan.strSender = rotation.pszSender;
        plan.strEncoding = rotation.pszEncoding;
        plan.strText = std::string(rotation.pszText) + " (" + std::to_string(n + 1) + ")";
        plan.nRef = (n + 1) % 0x100u;
    }
    plan.time = TimeAt(nNowMs);
    plan.bRead = false;
    return plan;
}

CSimTime CSimNetwork::TimeAt(long long nMs) const
{
    if (!m_bStarted)
        return CurrentSimTime();
    return SimTimeOf(m_startTime + static_cast<std::time_t>((nMs - m_nStartMs) / 1000));
}
