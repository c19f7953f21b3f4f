// Exactly once, under every fault at every step of a send. For 1 to 3
// recipients and 1 or 2 parts, each fault in turn at each step of the
// dialogue (each write about to go, each byte of an answer about to arrive,
// each change of the outbox's journal), then every sampled pair of faults at
// two steps; after them the user sends again what the window leaves, until
// nothing is left. What the window finally says of each recipient must agree
// with what the phone took: taken once, sent or not confirmed; never taken,
// not sent or not confirmed; never taken twice, never "failed" (nor put back)
// when the phone took it.
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "support/SendUser.h"
#include "support/SimLine.h"

namespace {

namespace fs = std::filesystem;
typedef CSendUser::EState EState;

enum class EFault { PORT_ERROR, CANCEL, TIME_OUT, KILL, TRANSIENT, PERMANENT, NETWORK_TIMEOUT, NOISE, LATE_OK, NO_OK,
                    JOURNAL };
const char* const kFaults[] = {"port error", "Cancel", "time-out", "kill and restart", "transient refusal",
                               "permanent refusal", "network time-out", "noise", "late final OK",
                               "no final OK", "failed journal write"};
const size_t kFaultCount = sizeof(kFaults) / sizeof(kFaults[0]);
// The network's time-out as phones word it (the odd steps: the message went all the same).
const char* const kNetworkTimeouts[] = {"+CMS ERROR: 332", "+CMS ERROR: Network timeout", "NETWORK TIMEOUT",
                                        "+CME ERROR: 31"};

struct CFaultAt {
    EFault eFault;
    unsigned nStep;
};

struct CScenario {
    unsigned nRecipients, nParts;
};

std::string Describe(const CScenario& s, const std::vector<CFaultAt>& faults)
{
    std::string str = std::to_string(s.nRecipients) + " recipient(s), " + std::to_string(s.nParts) + " part(s)";
    for (const CFaultAt& f : faults)
        str += "; " + std::string(kFaults[static_cast<size_t>(f.eFault)]) + " at step " + std::to_string(f.nStep);
    return str;
}

std::string Visible(const std::string& str)
{
    std::string out;
    for (unsigned char ch : str)
        out += ch == '\r' ? std::string("\\r") : ch == '\n' ? std::string("\\n") : ch < 0x20 || ch > 0x7E ? "." : std::string(1, ch);
    return out.size() > 40 ? out.substr(0, 40) + "..." : out;
}

// The parts each number took, by part, with their references.
typedef std::map<std::string, std::map<unsigned, std::vector<int>>> CTaken;

// One program's sends through the faults, and what came of each recipient.
class CRun {
public:
    CRun(const CScenario& scenario, std::vector<CFaultAt> faults, const std::string& strFolder)
        : m_scenario(scenario), m_faults(std::move(faults)), m_strFolder(strFolder), m_line(m_options)
    {
        m_line.m_onStep = [this](const char* pszStep, const std::string& strWhat) { OnStep(pszStep, strWhat, false); };
        SetJournalFaultHook([this](const char* pszStep) -> unsigned long {
            if (m_bKillPending)
                return EIO;  // the program is gone: nothing more reaches the disk
            const bool bFail = OnStep("journal", pszStep, true) || m_bJournalFails;
            m_bJournalFails = m_bJournalFails && !bFail;
            ++m_nJournal;
            return bFail ? ENOSPC : m_bKillPending ? EIO : 0;
        });
    }
    ~CRun() { SetJournalFaultHook(nullptr); }

    void Go()
    {
        for (unsigned i = 1; i <= m_scenario.nRecipients; ++i)
            m_numbers.push_back(std::string(3, static_cast<char>('0' + i)));
        m_strText = m_scenario.nParts == 1 ? "Hello" : std::string(200, 'x');
        ResetMsgReferences();
        Start();
        m_pUser->Type(Utf8ToWide(Joined(false)), Utf8ToWide(m_strText));
        bool bSend = true;
        for (unsigned nSends = 0; bSend; bSend = m_bRetype || m_pUser->HasLeft()) {
            m_bRetype = false;
            if (++nSends > 12)
                return Violation("sends again and again");
            // A send refused (the outbox could not be kept) is pressed again,
            // after a restart when the program was killed meanwhile.
            if (!m_pUser->Send()) {
                if (m_bKillPending)
                    Restart();
                m_bRetype = !m_pUser->GetBox().empty();
                continue;
            }
            if (!RunSend())
                return;
        }
        Judge();
    }

    std::vector<std::pair<std::string, std::string>> m_violations;  // cause, what happened
    // With m_bRecord, for each step what each fault would act on (Target).
    bool m_bRecord = false;
    bool m_bTellSteps = false;  // print each step, the phone's log after the run
    const std::vector<std::string>& PhoneLog() const { return m_line.m_log; }
    std::vector<std::array<long long, kFaultCount>> m_targets;
    // The status lines of every life of the program.
    std::vector<std::string> Trail() const
    {
        std::vector<std::string> trail = m_trail;
        trail.insert(trail.end(), m_pUser->GetStatus().begin(), m_pUser->GetStatus().end());
        return trail;
    }

private:
    std::vector<std::string> m_trail;

    void Start()
    {
        m_pUser = std::make_unique<CSendUser>(m_line, m_line, Utf8ToWide(m_strFolder), m_seen);
        m_line.Drive(*m_pUser);
    }

    // The program killed: everything dropped, started again from the disk.
    // With nothing restored, the user types again whom the window had not
    // named sent or not confirmed.
    void Restart()
    {
        m_bKillPending = false;
        m_line.Kill();
        Keep();
        m_pUser.reset();
        Start();
        if (!m_pUser->IsRestored()) {
            m_pUser->Type(Utf8ToWide(Joined(true)), Utf8ToWide(m_strText));
            m_bRetype = !m_pUser->GetBox().empty();
        }
    }

    void Keep()
    {
        m_trail.insert(m_trail.end(), m_pUser->GetStatus().begin(), m_pUser->GetStatus().end());
        m_trail.push_back("-- killed");
    }

    std::string Joined(bool bUnserved) const
    {
        std::string str;
        for (const std::string& strNumber : m_numbers) {
            const auto it = m_seen.find(strNumber);
            const bool bDone = it != m_seen.end() &&
                               (it->second.eState == EState::SENT || it->second.eState == EState::NOT_CONFIRMED);
            if (!bUnserved || !bDone)
                str += (str.empty() ? "" : "; ") + strNumber;
        }
        return str;
    }

    // Until the send has ended and the window says so; false after a violation.
    bool RunSend()
    {
        while (m_pUser->IsSending() || m_bKillPending) {
            if (m_bKillPending)
                Restart();
            else if (!m_line.Step())
                return Violation("a send that never ends"), false;
            if (m_bCancelPending) {
                m_bCancelPending = false;
                m_pUser->Cancel();
            }
            if (m_line.Now() > 4LL * 3600 * 1000000)
                return Violation("a send still running after hours"), false;
        }
        CheckPutBack();
        return true;
    }

    // A step about to happen: the faults due now. True when a journal
    // change is to fail here.
    bool OnStep(const char* pszStep, const std::string& strWhat, bool bInCall)
    {
        ++m_nSteps;
        if (m_bTellSteps)
            std::printf("step %u: %s %s\n", m_nSteps, pszStep, Visible(strWhat).c_str());
        if (m_bRecord) {
            m_targets.emplace_back();
            for (size_t f = 0; f < kFaultCount; ++f)
                m_targets.back()[f] = Target(static_cast<EFault>(f));
        }
        bool bJournalFails = false;
        for (const CFaultAt& f : m_faults) {
            if (f.nStep == m_nSteps) {
                m_strFaultSteps += " [step " + std::to_string(m_nSteps) + ": " + pszStep + " " + Visible(strWhat) + "]";
                bJournalFails = Apply(f.eFault, bInCall) || bJournalFails;
            }
        }
        return bJournalFails;
    }

    // What a fault that acts on the next prompt, PDU, final OK or journal
    // change acts on if it comes now, with its variant; -1 for the others,
    // which act on the step itself.
    long long Target(EFault eFault)
    {
        const CSimPhone& phone = m_line.Phone();
        const long long nOdd = m_nSteps % 2;
        switch (eFault) {
        case EFault::TRANSIENT:
        case EFault::PERMANENT: return nOdd << 32 | phone.GetCount(nOdd ? "PDU" : "AT+CMGS");
        case EFault::NETWORK_TIMEOUT: return static_cast<long long>(m_nSteps % 8) << 32 | phone.GetCount("PDU");
        case EFault::LATE_OK:
        case EFault::NO_OK: return static_cast<long long>(m_line.CountFinals());
        case EFault::JOURNAL: return m_nJournal;
        default: return -1;
        }
    }

    bool Apply(EFault eFault, bool bInCall)
    {
        CSimPhone& phone = m_line.Phone();
        const bool bOdd = m_nSteps % 2 == 1;
        const std::string strRefused = bOdd ? "PDU" : "AT+CMGS";
        switch (eFault) {
        case EFault::PORT_ERROR: m_line.FailNext(CSimLine::kGone); break;
        case EFault::CANCEL: m_bCancelPending = true; break;
        case EFault::TIME_OUT: m_line.Silence(); break;
        case EFault::KILL:
            m_bKillPending = true;
            if (!bInCall)
                Restart();
            break;
        case EFault::TRANSIENT:
        case EFault::PERMANENT:
            m_options.fails.push_back({strRefused, eFault == EFault::TRANSIENT ? 42 : 500,
                                       phone.GetCount(strRefused) + 1, std::string(), false});
            break;
        case EFault::NETWORK_TIMEOUT:
            m_options.fails.push_back({"PDU", 0, phone.GetCount("PDU") + 1, kNetworkTimeouts[m_nSteps / 2 % 4], bOdd});
            break;
        case EFault::NOISE: {
            std::minstd_rand random(m_nSteps);
            std::string strNoise;
            while (strNoise.size() < 3000) {
                const char ch = static_cast<char>(random() % 256);
                if (ch != '\r' && ch != '\n' && ch != '>')
                    strNoise += ch;
            }
            m_line.Inject(strNoise);
            break;
        }
        case EFault::LATE_OK: m_line.HoldFinal(6000); break;
        case EFault::NO_OK: m_line.HoldFinal(0); break;
        case EFault::JOURNAL:
            if (bInCall)
                return true;
            m_bJournalFails = true;  // the next change of the journal
            break;
        }
        return false;
    }

    // The phone's log: the parts each number took, with their references.
    // Read by hand: the fields of a PDU of these texts hold no quote.
    const CTaken& Taken()
    {
        for (; m_nLogRead < m_line.m_log.size(); ++m_nLogRead) {
            const std::string& strPdu = m_line.m_log[m_nLogRead];
            if (strPdu.compare(0, 13, "\"event\":\"pdu\"") != 0 || Field(strPdu, "mr").empty() ||
                Field(strPdu, "valid") != "true")
                continue;
            const std::string strPart = Field(strPdu, "part"), strRef = Field(strPdu, "ref");
            m_taken[Field(strPdu, "number")][strPart.empty() ? 1 : std::stoul(strPart)].push_back(
                strRef.empty() ? -1 : std::stoi(strRef));
        }
        return m_taken;
    }

    static std::string Field(const std::string& strFields, const char* pszName)
    {
        const std::string strKey = std::string("\"") + pszName + "\":";
        const size_t nAt = strFields.find(strKey);
        if (nAt == std::string::npos)
            return std::string();
        const size_t nStart = nAt + strKey.size() + (strFields[nAt + strKey.size()] == '"');
        return strFields.substr(nStart, strFields.find_first_of("\",}", nStart) - nStart);
    }

    size_t CountTaken(const std::map<unsigned, std::vector<int>>& parts) const
    {
        size_t n = 0;
        for (const auto& part : parts)
            n += part.second.size();
        return n;
    }

    // After each send: no one the window gives up on or puts back had a part taken it does not count.
    void CheckPutBack()
    {
        const CTaken& taken = Taken();
        for (const auto& seen : m_seen) {
            const auto it = taken.find(seen.first);
            const size_t nTaken = it == taken.end() ? 0 : CountTaken(it->second);
            if (seen.second.eState == EState::FAILED && nTaken > seen.second.nParts)
                Violation("reported failed though the phone took the part", seen.first);
            else if (seen.second.eState == EState::WAITING && nTaken > seen.second.nParts)
                Violation("put back as waiting though the phone took the part", seen.first);
        }
    }

    void Judge()
    {
        const CTaken& taken = Taken();
        for (const std::string& strNumber : m_numbers) {
            const auto itSeen = m_seen.find(strNumber);
            const EState eState = itSeen == m_seen.end() ? EState::WAITING : itSeen->second.eState;
            const auto it = taken.find(strNumber);
            size_t nParts = 0, nTwice = 0;
            std::set<int> refs;
            if (it != taken.end()) {
                for (const auto& part : it->second) {
                    nParts += !part.second.empty();
                    nTwice += part.second.size() > 1;
                    refs.insert(part.second.begin(), part.second.end());
                }
            }
            if (nTwice)
                Violation("taken twice", strNumber);
            else if (refs.size() > 1)
                Violation("parts of one message under two references", strNumber);
            else if (eState == EState::SENT && nParts < m_scenario.nParts)
                Violation("reported sent, not taken whole", strNumber);
            else if ((eState == EState::WAITING || eState == EState::FAILED) && nParts)
                Violation("taken but left as not sent", strNumber);
            else if (eState == EState::WAITING || eState == EState::FAILED)
                Violation("left unserved, nothing offered again", strNumber);
        }
    }

    void Violation(const std::string& strCause, const std::string& strNumber = std::string())
    {
        m_violations.emplace_back(strCause, Describe(m_scenario, m_faults) + m_strFaultSteps +
                                                (strNumber.empty() ? "" : " (" + strNumber + ")"));
    }

    CScenario m_scenario;
    std::vector<CFaultAt> m_faults;
    std::string m_strFolder;
    CSimOptions m_options;
    CSimLine m_line;
    std::unique_ptr<CSendUser> m_pUser;
    CSendUser::CSeenMap m_seen;
    std::vector<std::string> m_numbers;
    std::string m_strText;
    unsigned m_nSteps = 0;
    unsigned m_nJournal = 0;  // changes of the journal asked for
    std::string m_strFaultSteps;
    CTaken m_taken;
    size_t m_nLogRead = 0;
    bool m_bKillPending = false, m_bCancelPending = false, m_bJournalFails = false, m_bRetype = false;
};

// The violations by what was seen and the faults that led to it, each with
// its count and its first run. A pair's violation that one of its faults
// brings alone is counted under that fault.
struct CTally {
    static void Empty(const std::string& strFolder)
    {
        for (const fs::directory_entry& entry : fs::directory_iterator(strFolder))
            fs::remove(entry.path());
    }

    size_t nRuns = 0, nViolations = 0;
    std::map<std::string, std::pair<size_t, std::string>> causes;

    void Run(const CScenario& s, const std::vector<CFaultAt>& faults, const std::string& strFolder,
             std::vector<std::array<long long, kFaultCount>>* pTargets = nullptr)
    {
        Empty(strFolder);
        CRun run(s, faults, strFolder);
        run.m_bRecord = pTargets != nullptr;
        run.Go();
        if (pTargets)
            *pTargets = run.m_targets;
        ++nRuns;
        nViolations += !run.m_violations.empty();
        std::string strFaults;
        for (const CFaultAt& f : faults)
            strFaults += (strFaults.empty() ? " after " : ", then ") + std::string(kFaults[static_cast<size_t>(f.eFault)]);
        for (size_t i = 0; i < faults.size() && faults.size() > 1 && !run.m_violations.empty(); ++i) {
            Empty(strFolder);
            CRun alone(s, {faults[i]}, strFolder);
            alone.Go();
            if (!alone.m_violations.empty()) {
                strFaults = " after " + std::string(kFaults[static_cast<size_t>(faults[i].eFault)]) + " alone";
                break;
            }
        }
        for (const auto& v : run.m_violations) {
            auto& cause = causes[v.first + strFaults];
            if (cause.first++ == 0)
                cause.second = v.second;
        }
    }
};

typedef std::vector<std::pair<CScenario, std::vector<std::array<long long, kFaultCount>>>> CScenarios;

// The faults' table: every fault at every step of each scenario, or pairs of
// them. The scenarios run without faults first: their steps, and what a
// fault at each would act on.
class SendFaults : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override
    {
        for (unsigned nRecipients = 1; nRecipients <= 3; ++nRecipients) {
            for (unsigned nParts = 1; nParts <= 2; ++nParts) {
                m_scenarios.emplace_back(CScenario{nRecipients, nParts}, std::vector<std::array<long long, kFaultCount>>());
                m_tally.Run(m_scenarios.back().first, {}, m_strFolder, &m_scenarios.back().second);
            }
        }
        ASSERT_EQ(m_tally.nViolations, 0u) << "without faults";
        m_tally = CTally();
    }
    void TearDown() override { fs::remove_all(m_strFolder); }

    void Report(const std::string& strWhat)
    {
        const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - m_started).count();
        std::printf("Send faults, %s: %zu runs in %.1f s; %zu with violations (target 0)\n", strWhat.c_str(),
                    m_tally.nRuns, dSeconds, m_tally.nViolations);
        for (const auto& cause : m_tally.causes)
            std::printf("  %s: %zu, first: %s\n", cause.first.c_str(), cause.second.first, cause.second.second.c_str());
        EXPECT_EQ(m_tally.nViolations, 0u);
    }

    const std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    const std::string m_strFolder = NewDataFolder();  // one for all runs, emptied before each
    CScenarios m_scenarios;
    CTally m_tally;
};

// A fault that acts on the next prompt, PDU, final OK or journal change is
// not given again at a later step where it would act on the same: that run
// would repeat one before it exactly.
TEST_F(SendFaults, EachFaultAtEveryStep)
{
    size_t nRepeats = 0;
    for (const auto& s : m_scenarios) {
        for (size_t f = 0; f < kFaultCount; ++f) {
            std::set<long long> targets;
            for (unsigned nStep = 1; nStep <= s.second.size(); ++nStep) {
                const long long nTarget = s.second[nStep - 1][f];
                if (nTarget >= 0 && !targets.insert(nTarget).second)
                    ++nRepeats;
                else
                    m_tally.Run(s.first, {{static_cast<EFault>(f), nStep}}, m_strFolder);
            }
        }
    }
    Report("one at each step (" + std::to_string(nRepeats) + " repeats of a run left out)");
}

// Two faults at two steps, the second at most 30 steps after the end of a
// run without faults: a seeded sample, in halves that may run side by side.
// ZANDU_RIG_PAIRS: a longer sample, for a run by hand.
TEST_P(SendFaults, PairsAtTwoSteps)
{
    const char* pszPairs = std::getenv("ZANDU_RIG_PAIRS");
    const size_t nPairs = pszPairs ? std::strtoul(pszPairs, nullptr, 10) : 10000;
    std::minstd_rand random(20240611 + GetParam());
    for (size_t i = 0; i < nPairs; ++i) {
        const auto& s = m_scenarios[random() % m_scenarios.size()];
        const unsigned nSteps = static_cast<unsigned>(s.second.size());
        const unsigned nFirst = 1 + random() % nSteps;
        const unsigned nSecond = nFirst + 1 + random() % (nSteps - nFirst + 30);
        m_tally.Run(s.first, {{static_cast<EFault>(random() % kFaultCount), nFirst},
                              {static_cast<EFault>(random() % kFaultCount), nSecond}}, m_strFolder);
    }
    Report("pairs, sample " + std::to_string(GetParam()));
}
INSTANTIATE_TEST_SUITE_P(Sample, SendFaults, ::testing::Values(1u, 2u));

// One run by hand, as the table names it: ZANDU_RIG_RUN="3 2 4@57 0@90" is 3
// recipients, 2 parts, fault 4 (the table's order, from 0) at step 57 and
// fault 0 at step 90; its status lines and the phone's log are printed.
TEST(SendFaultsByHand, OneRun)
{
    const char* pszRun = std::getenv("ZANDU_RIG_RUN");
    if (!pszRun)
        GTEST_SKIP() << "ZANDU_RIG_RUN not set";
    std::istringstream in(pszRun);
    CScenario s{0, 0};
    in >> s.nRecipients >> s.nParts;
    std::vector<CFaultAt> faults;
    unsigned nFault = 0, nStep = 0;
    char chAt = 0;
    while (in >> nFault >> chAt >> nStep)
        faults.push_back({static_cast<EFault>(nFault % kFaultCount), nStep});
    const std::string strFolder = NewDataFolder();
    CRun run(s, faults, strFolder);
    run.m_bTellSteps = true;
    run.Go();
    for (const std::string& strLine : run.PhoneLog())
        std::printf("phone: %s\n", strLine.c_str());
    for (const std::string& strLine : run.Trail())
        std::printf("status: %s\n", strLine.c_str());
    for (const auto& v : run.m_violations)
        std::printf("violation: %s: %s\n", v.first.c_str(), v.second.c_str());
    fs::remove_all(strFolder);
}

} // namespace
