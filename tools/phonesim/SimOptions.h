// The phone simulator's command line.
#pragma once

#include <string>
#include <vector>

// An error reply chosen for a command: ERROR, or "+CMS ERROR: <code>".
struct CFailRule {
    CFailRule() = default;
    CFailRule(const std::string& strCommandIn, int nCodeIn, unsigned nOccurrenceIn = 0,
              const std::string& strTextIn = std::string(), bool bTakenIn = false)
        : strCommand(strCommandIn), nCode(nCodeIn), nOccurrence(nOccurrenceIn), strText(strTextIn), bTaken(bTakenIn)
    {
    }

    std::string strCommand;  // upper case, e.g. "AT+CMGS", "ATE0", or "PDU" for the reply to a PDU
    int nCode = -1;          // -1: ERROR
    unsigned nOccurrence = 0;  // only the n-th time (1-based); 0: every time
    std::string strText;     // the line answered instead, as a phone words it ("NETWORK TIMEOUT"); empty: by nCode
    bool bTaken = false;     // PDU: the network has the message all the same
};

// A line the phone sends on its own, before the reply to a command.
struct CUnsolicitedRule {
    std::string strWhen;       // a command as for CFailRule, "*" (every reply) or "RANDOM" (about every other)
    unsigned nOccurrence = 0;  // only before the n-th reply to that command (1-based); 0: every time
    std::string strText;       // the line; "\\n" in the option separates the lines of a code with a PDU line
};

struct CSimOptions {
    std::string strLink;  // symbolic link to the pty slave
    std::string strLog;   // JSON-lines log
    unsigned nBaud = 0;   // pacing; 0: as fast as the pty goes
    unsigned nGapMs = 200;
    bool bEcho = true;
    bool bSplitEcho = false;  // with bLateOk and nSimBusyMs: over the family's habits
    bool bLateOk = false;
    std::vector<CFailRule> fails;
    std::vector<CUnsolicitedRule> unsolicited;
    // While silent, repeated every nGapMs: "OK", the echo of the command not
    // answered, or a blank line.
    enum EBabble { BABBLE_NONE, BABBLE_OK, BABBLE_ECHO, BABBLE_BLANK } nBabble = BABBLE_NONE;
    unsigned nPduDelayMs = 0;  // the answer to a PDU comes this much later
    bool bEmptyRangeNotFound = false;  // AT+CPBR over a range without entries: +CME ERROR: 22
    int nSilentAfter = -1;   // answer this many commands, then nothing; -1: always answer
    int nHangupAfter = -1;   // hang up when this command (1-based) arrives
    int nHangupInPdu = -1;   // hang up in the middle of this PDU (1-based)
    bool bBusy = false;
    // Stress: quirks chosen at random from this seed (0: none); bytes of
    // line noise before the answer to the first command.
    unsigned nQuirkSeed = 0;
    unsigned nNoiseBytes = 0;
    // With the quirks: the network's habits too, for a program that awaits
    // the answer to a PDU this long (0: none).
    unsigned nNetworkWaitMs = 0;
    std::string strMaker = "PhoneSim";
    unsigned nPhonebook = 5;
    std::string strPhonebookFile;
    unsigned nPhonebookSize = 0;  // 0: as many locations as given
    std::string strMessagesFile;  // received messages the phone holds (JSON)
    unsigned nReportStatus = 0;   // TP-ST of the reports on messages that ask for one
    // Over time, in seconds from the program's first open of the port: the
    // messages that arrive (from strIncomingFile in its order, else from a
    // rotating set of senders), the reports' delay after their submission
    // (-1: before the next reply), and the cable pulled for a while.
    std::string strIncomingFile;
    std::vector<unsigned> incomingAt;
    unsigned nIncomingEvery = 0;  // 0: none
    int nReportAfter = -1;
    int nUnplugAt = -1;           // -1: never
    unsigned nUnplugFor = 15;
    // As another program or a crash left it: waiting for a PDU after "> ".
    bool bLeftAtPrompt = false;
    unsigned nPromptDelayMs = 0;  // the "> " prompt comes this much later
    std::string strSimPin;        // empty: the SIM is not locked
    std::string strSimPuk = "12345678";
    int nSimBusyMs = -1;          // the SIM busy this long after the first command and each PIN; -1: not given
    unsigned nSplitSeed = 0;      // every burst cut into pieces at random from this seed; 0: whole
    std::string strModel = "PhoneSim 1";  // AT+CGMM
    unsigned nSignal = 20;        // <rssi> of AT+CSQ: 0-31, 99 no signal
    unsigned nNetwork = 1;        // <stat> of AT+CREG?
    std::string strSca = "+4917010000";  // AT+CSCA?
    std::string strProfile;       // the family (SimProfile.h); empty: a plain phone
    unsigned nProfileSeed = 1;    // for the vendor reports
    bool bQuiet = false;
    bool bVerbose = false;
    bool bHelp = false;
};

// What phonesim --help prints.
std::string SimHelp();

// False with a message for a bad command line.
bool ParseSimOptions(const std::vector<std::string>& args, CSimOptions& options, std::string& strError);
