#include "SimProfile.h"

#include <algorithm>

namespace {

// Per thousand places between lines: a stick reports its signal every few
// seconds, so a long answer often has a report in it.
const unsigned kVendorReport = 150;

// The line goes in before the piece at nAt, in that piece's burst; after the
// last piece it comes in a burst of its own, as a report between two answers.
void Insert(std::vector<CSimPiece>& pieces, size_t nAt, const std::string& strLine, unsigned nGapMs)
{
    CSimPiece piece;
    piece.strText = "\r\n" + strLine + "\r\n";
    if (nAt < pieces.size()) {
        std::swap(piece.bBurst, pieces[nAt].bBurst);
        std::swap(piece.nDelayMs, pieces[nAt].nDelayMs);
    } else {
        piece.bBurst = true;
        piece.nDelayMs = pieces.empty() ? 0 : nGapMs;
    }
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(nAt), piece);
}

} // namespace

const std::vector<CSimHabits> kSimFamilies = {
    {"", false, false, false, false, "ERROR", 0, false, false, nullptr},
    {"stick", false, false, true, false, "COMMAND NOT SUPPORT", 0, false, false,
     "echo on; ^RSSI:, ^MODE: and ^BOOT: reports at random\n"
     "before the echo, between the lines of an answer and\n"
     "after it; unknown commands answer COMMAND NOT SUPPORT"},
    {"module", false, false, false, true, "ERROR", 3000, false, true,
     "RDY, +CFUN: 1, +CPIN: ..., Call Ready and SMS Ready in\n"
     "the first three answers; the SIM busy for 3000 ms as\n"
     "with --sim-busy 3000; its AT+CNMI settings outlive a\n"
     "close of the port (the others forget them)"},
    {"phone", true, true, false, false, "ERROR", 0, false, false, "split echo and late OK, as --split-echo --late-ok"},
    {"no-cnmi", false, false, false, false, "ERROR", 0, true, false,
     "AT+CNMI in any form answered ERROR: it announces\n"
     "nothing, and arriving messages wait for AT+CMGL"},
};

const CSimHabits* FindFamily(const std::string& strName)
{
    for (const CSimHabits& family : kSimFamilies) {
        if (strName == family.pszFamily)
            return &family;
    }
    return nullptr;
}

const CSimHabits& FamilyOf(const CSimOptions& options)
{
    const CSimHabits* pFamily = FindFamily(options.strProfile);
    return pFamily ? *pFamily : kSimFamilies[0];
}

CSimHabits ResolveHabits(const CSimOptions& options)
{
    CSimHabits habits = FamilyOf(options);
    habits.bSplitEcho = habits.bSplitEcho || options.bSplitEcho;
    habits.bLateOk = habits.bLateOk || options.bLateOk;
    if (options.nSimBusyMs >= 0)
        habits.nSimBusyMs = static_cast<unsigned>(options.nSimBusyMs);
    return habits;
}

CSimProfile::CSimProfile(const CSimHabits& habits, unsigned nSeed, unsigned nSignal)
    : m_habits(habits), m_nSignal(nSignal), m_random(nSeed)
{
}

std::vector<CSimProfileLine> CSimProfile::Decorate(std::vector<CSimPiece>& pieces, bool bEcho, unsigned nAnswer,
                                                   const std::string& strSimState, unsigned nGapMs)
{
    std::vector<CSimProfileLine> lines;
    if (m_habits.bVendorReports)
        AddVendorReports(pieces, nGapMs, lines);
    if (m_habits.bStartUpLines)
        AddStartUpLines(pieces, bEcho, nAnswer, strSimState, lines);
    return lines;
}

void CSimProfile::AddVendorReports(std::vector<CSimPiece>& pieces, unsigned nGapMs, std::vector<CSimProfileLine>& lines)
{
    // From the end, so that the places still to come keep their indices.
    for (size_t nAt = pieces.size() + 1; nAt-- > 0;) {
        if (nAt > 0 && pieces[nAt - 1].bOpen)
            continue;
        if (m_random() % 1000 >= kVendorReport)
            continue;
        const std::string strLine = VendorReport();
        Insert(pieces, nAt, strLine, nGapMs);
        lines.insert(lines.begin(), CSimProfileLine{"vendor-report", strLine});
    }
}

// Power-up lines the module sends while the program's first commands come:
// "RDY" before the first echo, the rest between echo and answer, "SMS Ready"
// before the third echo. "+CPIN:" tells the SIM's state as AT+CPIN? would.
void CSimProfile::AddStartUpLines(std::vector<CSimPiece>& pieces, bool bEcho, unsigned nAnswer,
                                  const std::string& strSimState, std::vector<CSimProfileLine>& lines)
{
    std::vector<std::string> before, after;
    if (nAnswer == 1) {
        before = {"RDY"};
        after = {"+CFUN: 1"};
    } else if (nAnswer == 2) {
        after = {"+CPIN: " + strSimState, "Call Ready"};
    } else if (nAnswer == 3) {
        before = {"SMS Ready"};
    }
    size_t nAt = bEcho ? 1 : 0;
    for (const std::string& strLine : after)
        Insert(pieces, nAt++, strLine, 0);
    for (size_t i = 0; i < before.size(); ++i)
        Insert(pieces, i, before[i], 0);
    for (const std::string& strLine : before)
        lines.push_back(CSimProfileLine{"start-up", strLine});
    for (const std::string& strLine : after)
        lines.push_back(CSimProfileLine{"start-up", strLine});
}

std::string CSimProfile::VendorReport()
{
    const unsigned nKind = m_random() % 10;
    if (nKind < 6) {
        // The signal wanders a little around what AT+CSQ reports.
        const int nWander = static_cast<int>(m_random() % 5) - 2;
        const int nRssi = m_nSignal == 99 ? 99 : std::min(31, std::max(0, static_cast<int>(m_nSignal) + nWander));
        return "^RSSI:" + std::to_string(nRssi);
    }
    if (nKind < 8)
        return "^MODE:5,4";
    std::string strDigits;
    for (int i = 0; i < 8; ++i)
        strDigits += static_cast<char>('0' + m_random() % 10);
    return "^BOOT:" + strDigits + ",0,0,0,72";
}
