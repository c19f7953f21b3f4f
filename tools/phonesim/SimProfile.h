// The modem families (--profile) as a table of habits, one row a family,
// and the lines of the phone's own that some families put into their
// answers. The bursts of a split echo and a late OK are the engine's.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "SimOptions.h"

// What sets a family's answers apart from a plain phone's.
struct CSimHabits {
    const char* pszFamily;        // as --profile names it; "" for the plain phone
    bool bSplitEcho;              // the echo in a burst of its own
    bool bLateOk;                 // the final result code in a burst of its own
    bool bVendorReports;          // ^RSSI:, ^MODE:, ^BOOT: at random anywhere in an answer
    bool bStartUpLines;           // RDY ... SMS Ready in the first three answers
    const char* pszNotSupported;  // the answer to a command it does not know
    unsigned nSimBusyMs;          // the SIM busy after the first command and after each PIN
    bool bNoCnmi;                 // AT+CNMI in any form answered ERROR: it announces nothing
    bool bKeepsCnmi;              // AT+CNMI's settings outlive a close of the port
    const char* pszHelp;          // its --profile entry of the help
};

// The plain phone first.
extern const std::vector<CSimHabits> kSimFamilies;

// The row of --profile NAME; nullptr for a name no family has.
const CSimHabits* FindFamily(const std::string& strName);

// The options' family as its row has it (the plain phone's for none).
const CSimHabits& FamilyOf(const CSimOptions& options);
// The options' family with the options that override its habits.
CSimHabits ResolveHabits(const CSimOptions& options);

// A part of an answer on its way out.
struct CSimPiece {
    std::string strText;
    bool bBurst = false;    // a new burst begins with it
    unsigned nDelayMs = 0;  // the pause before that burst
    bool bOpen = false;     // no line of the phone's own may follow it: the prompt, a +CMGL: line before its PDU
};

// A line the family put in, for the log.
struct CSimProfileLine {
    const char* pszKind;  // "vendor-report", "start-up"
    std::string strLine;
};

class CSimProfile {
public:
    // The seed chooses the vendor reports; the signal is what they report.
    CSimProfile(const CSimHabits& habits, unsigned nSeed, unsigned nSignal);

    // Puts the family's own lines, each framed by CR LF, into the
    // nAnswer-th answer (from 1), whose echo, if any, is its first piece:
    // vendor reports at random before the echo, between any two lines and
    // after the answer (in a burst of its own, nGapMs later); start-up lines
    // in the first three answers.
    std::vector<CSimProfileLine> Decorate(std::vector<CSimPiece>& pieces, bool bEcho, unsigned nAnswer,
                                          const std::string& strSimState, unsigned nGapMs);

private:
    void AddVendorReports(std::vector<CSimPiece>& pieces, unsigned nGapMs, std::vector<CSimProfileLine>& lines);
    void AddStartUpLines(std::vector<CSimPiece>& pieces, bool bEcho, unsigned nAnswer, const std::string& strSimState,
                         std::vector<CSimProfileLine>& lines);
    std::string VendorReport();

    const CSimHabits m_habits;
    const unsigned m_nSignal;
    std::minstd_rand m_random;
};
