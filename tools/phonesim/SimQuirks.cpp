#include "SimQuirks.h"

#include <algorithm>
#include <set>

namespace {

// Per thousand replies. A silence costs the test driver a Cancel and a new
// Send, so it is rarer than the quirks a phone shows every day.
const unsigned kSplitEcho = 200;
const unsigned kLateOk = 200;
const unsigned kEchoOn = 300;       // of the replies to AT, the first command after an open
const unsigned kUnsolicited = 100;  // the result codes 27.005 and 27.007 define as unsolicited
const unsigned kTransient = 40;     // of the replies to a PDU
const unsigned kPermanent = 10;
const unsigned kSilent = 8;

const char* const kTransientCodes[] = {"+CMS ERROR: 42", "+CMS ERROR: 38", "+CMS ERROR: 331"};
const char* const kPermanentCodes[] = {"+CMS ERROR: 500", "+CMS ERROR: 21", "+CMS ERROR: 96"};

} // namespace

void CSimQuirks::Add(CQuirk& quirk, const char* pszKind)
{
    quirk.strKinds += (quirk.strKinds.empty() ? "" : " ") + std::string(pszKind);
}

CQuirk CSimQuirks::Choose(const std::string& strName)
{
    CQuirk quirk;
    if (strName == "AT" && Chance(kEchoOn)) {
        quirk.bEchoOn = true;
        Add(quirk, "echo-on");
    }
    if (Chance(kSplitEcho)) {
        quirk.bSplitEcho = true;
        Add(quirk, "split-echo");
    }
    if (Chance(kLateOk)) {
        quirk.bLateOk = true;
        Add(quirk, "late-ok");
    }
    if (Chance(kUnsolicited)) {
        const unsigned n = m_random() % 3;
        quirk.strUnsolicited = n == 0   ? "+CMTI: \"SM\"," + std::to_string(++m_nIndex)
                               : n == 1 ? std::string("+CREG: 1")
                                        : std::string("+CIEV: 2,3");
        Add(quirk, "unsolicited");
    }
    const bool bMayFallSilent = strName != "AT" && strName != "AT+CMGS" && strName != "AT+CMGW";
    if (bMayFallSilent && Chance(kSilent)) {
        quirk.bSilent = true;
        Add(quirk, "silent");
    } else if (strName == "PDU" && Chance(kTransient)) {
        quirk.strFinal = kTransientCodes[m_random() % 3];
        Add(quirk, "transient");
    } else if (strName == "PDU" && Chance(kPermanent)) {
        quirk.strFinal = kPermanentCodes[m_random() % 3];
        Add(quirk, "permanent");
    }
    if (m_nNetworkWaitMs)
        ChooseNetwork(strName, quirk);
    return quirk;
}

// Per ten thousand. An answer beyond the wait costs the program the whole
// wait, so it is the rarest.
void CSimQuirks::ChooseNetwork(const std::string& strName, CQuirk& quirk)
{
    const unsigned nDraw = m_random() % 10000;
    const unsigned nSpread = m_random();
    if (strName == "AT+CMGS" || strName == "AT+CMGW") {
        if (nDraw < 400) {
            quirk.nPromptDelayMs = 500 + nSpread % 2501;
            Add(quirk, "late-prompt");
        }
        return;
    }
    if (strName != "PDU" || quirk.bSilent || !quirk.strFinal.empty())
        return;
    if (nDraw < 7) {
        quirk.nDelayMs = m_nNetworkWaitMs + 500 + nSpread % 2501;
        Add(quirk, "beyond-wait");
    } else if (nDraw < 407) {
        quirk.nDelayMs = 1000 + nSpread % 7001;
        Add(quirk, "late-answer");
    } else if (nDraw < 457) {
        quirk.strFinal = "+CMS ERROR: 332";
        quirk.bTakenAnyway = nSpread % 2 == 0;
        Add(quirk, "network-timeout");
    } else if (nDraw < 557) {
        quirk.strFinal = "+CMS ERROR: 314";
        Add(quirk, "sim-busy");
    }
}

std::string CSimQuirks::Noise(size_t nBytes)
{
    std::string str(nBytes, '\0');
    for (char& ch : str)
        ch = static_cast<char>(m_random());
    return str;
}

std::vector<std::pair<std::string, unsigned>> CSimQuirks::Cut(const std::string& strBurst)
{
    const size_t nPieces = std::min<size_t>(1 + m_random() % 4, strBurst.size());
    std::set<size_t> cuts;  // in order, each inside the burst
    while (cuts.size() + 1 < nPieces)
        cuts.insert(1 + m_random() % (strBurst.size() - 1));
    cuts.insert(strBurst.size());
    std::vector<std::pair<std::string, unsigned>> pieces;
    size_t nStart = 0;
    for (size_t nCut : cuts) {
        const unsigned nPauseMs = pieces.empty() ? 0 : static_cast<unsigned>(60 + m_random() % 91);
        pieces.push_back({strBurst.substr(nStart, nCut - nStart), nPauseMs});
        nStart = nCut;
    }
    return pieces;
}
