// The simulator's stress modes: a phone that misbehaves at random, and line
// noise. Both are seeded, so that a run that found something can be repeated.
#pragma once

#include <random>
#include <string>
#include <utility>
#include <vector>

// How one reply departs from the plain answer.
struct CQuirk {
    bool bSplitEcho = false;
    bool bLateOk = false;
    bool bEchoOn = false;         // echo turned on again, as by a phone reset when the port opened
    std::string strUnsolicited;   // a line sent on the phone's own before the answer
    std::string strFinal;         // an error answered instead, or empty
    bool bSilent = false;         // no answer at all to this one
    bool bTakenAnyway = false;    // with strFinal: the network has the message all the same
    unsigned nDelayMs = 0;        // the answer (to a PDU) comes this much later
    unsigned nPromptDelayMs = 0;  // the "> " prompt comes this much later
    std::string strKinds;         // the quirks chosen, for the log: "split-echo late-ok ..."
};

class CSimQuirks {
public:
    explicit CSimQuirks(unsigned nSeed) : m_random(nSeed) {}

    // The network's habits too (late answers, within nWaitMs and just
    // beyond it, time-outs, a busy SIM) and late prompts; 0: none. The
    // other quirks come as they would without them.
    void SetNetworkWait(unsigned nWaitMs) { m_nNetworkWaitMs = nWaitMs; }

    // The quirks of the reply to a command (its name in upper case, "PDU"
    // for a PDU). Errors only for a PDU, silence only where a cancelled
    // request leaves the phone as it was: never for AT+CMGS or AT+CMGW,
    // whose prompt opens a PDU.
    CQuirk Choose(const std::string& strName);

    // Bytes of line noise, line ends among them. A result code framed by
    // line ends is six or more bytes in a row, all as chosen, so it does not
    // turn up in the few hundred kilobytes a test sends.
    std::string Noise(size_t nBytes);

    // A burst cut at random places into 1 to 4 pieces, each after the first
    // with a pause of 60 to 150 ms before it: longer than the 50 ms of
    // silence that end a read on the program's side.
    std::vector<std::pair<std::string, unsigned>> Cut(const std::string& strBurst);

private:
    bool Chance(unsigned nPerThousand) { return m_random() % 1000 < nPerThousand; }
    void Add(CQuirk& quirk, const char* pszKind);
    void ChooseNetwork(const std::string& strName, CQuirk& quirk);

    std::minstd_rand m_random;
    unsigned m_nIndex = 0;  // for +CMTI
    unsigned m_nNetworkWaitMs = 0;
};
