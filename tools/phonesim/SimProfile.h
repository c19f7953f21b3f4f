// The documented habits of three modem families (--profile): lines of the
// phone's own put into its answers, and how it answers a command it does not
// know. The split echo and late OK of a mobile phone are the engine's.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "SimOptions.h"

// A part of an answer on its way out.
struct CSimPiece {
    std::string strText;
    bool bBurst = false;    // a new burst begins with it
    unsigned nDelayMs = 0;  // the pause before that burst
    bool bOpen = false;     // no line of the phone's own may follow it: the prompt, a +CMGL: line before its PDU
};

// A line the profile put in, for the log.
struct CSimProfileLine {
    const char* pszKind;  // "vendor-report", "start-up"
    std::string strLine;
};

class CSimProfile {
public:
    // The seed chooses the stick's vendor reports; the signal is what they report.
    CSimProfile(ESimProfile nProfile, unsigned nSeed, unsigned nSignal);

    // Puts the profile's own lines, each framed by CR LF, into the
    // nAnswer-th answer (from 1), whose echo, if any, is its first piece:
    // the stick's vendor reports at random before the echo, between any two
    // lines and after the answer (in a burst of its own, nGapMs later); the
    // module's start-up lines in its first three answers.
    std::vector<CSimProfileLine> Decorate(std::vector<CSimPiece>& pieces, bool bEcho, unsigned nAnswer,
                                          const std::string& strSimState, unsigned nGapMs);

    // The final result code for a command the phone does not know.
    const char* UnknownCommand() const { return m_nProfile == PROFILE_STICK ? "COMMAND NOT SUPPORT" : "ERROR"; }
    bool SplitsEchoAndOk() const { return m_nProfile == PROFILE_PHONE; }
    const char* GetName() const { return ProfileName(m_nProfile); }

private:
    void AddVendorReports(std::vector<CSimPiece>& pieces, unsigned nGapMs, std::vector<CSimProfileLine>& lines);
    void AddStartUpLines(std::vector<CSimPiece>& pieces, bool bEcho, unsigned nAnswer, const std::string& strSimState,
                         std::vector<CSimProfileLine>& lines);
    std::string VendorReport();

    const ESimProfile m_nProfile;
    const unsigned m_nSignal;
    std::minstd_rand m_random;
};
