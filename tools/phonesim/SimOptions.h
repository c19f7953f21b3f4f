// The phone simulator's command line.
#pragma once

#include <string>
#include <vector>

// An error reply chosen for a command: ERROR, or "+CMS ERROR: <code>".
struct CFailRule {
    std::string strCommand;  // upper case, e.g. "AT+CMGS", "ATE0", or "PDU" for the reply to a PDU
    int nCode = -1;          // -1: ERROR
    unsigned nOccurrence = 0;  // only the n-th time (1-based); 0: every time
};

struct CSimOptions {
    std::string strLink;  // symbolic link to the pty slave
    std::string strLog;   // JSON-lines log
    unsigned nBaud = 0;   // pacing; 0: as fast as the pty goes
    unsigned nGapMs = 200;
    bool bEcho = true;
    bool bSplitEcho = false;
    bool bLateOk = false;
    std::vector<CFailRule> fails;
    int nSilentAfter = -1;   // answer this many commands, then nothing; -1: always answer
    int nHangupAfter = -1;   // hang up when this command (1-based) arrives
    int nHangupInPdu = -1;   // hang up in the middle of this PDU (1-based)
    bool bBusy = false;
    std::string strMaker = "PhoneSim";
    unsigned nPhonebook = 5;
    std::string strPhonebookFile;
    unsigned nPhonebookSize = 0;  // 0: as many locations as given
    bool bQuiet = false;
    bool bVerbose = false;
    bool bHelp = false;
};

extern const char kSimHelp[];

// False with a message for a bad command line.
bool ParseSimOptions(const std::vector<std::string>& args, CSimOptions& options, std::string& strError);
