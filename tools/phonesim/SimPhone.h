// The simulated phone's AT engine: bytes in, actions out. It knows nothing of
// terminals, and of time only the clock it is given (for the SIM's busy time
// and what the network brings over time); the pty program carries out its
// actions (bursts with pauses between them, the disconnect, the cable pulled,
// log lines, the human printout).
#pragma once

#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "SimCard.h"
#include "SimDeliver.h"
#include "SimNetwork.h"
#include "SimOptions.h"
#include "SimPdu.h"
#include "SimPhonebook.h"
#include "SimProfile.h"
#include "SimQuirks.h"
#include "SimStore.h"

struct CSimAction {
    enum EKind {
        SEND,    // a burst: strData after a pause of nDelayMs behind what was sent before
        HANGUP,  // disconnect now; nothing more is sent
        LOG,     // one log object's fields (JSON, without braces)
        PRINT,   // one line for the person watching
        REPEAT,  // from now on, strData every nDelayMs (replaces an earlier one)
        UNPLUG,  // the cable is pulled: the port is gone, what is open on it fails
        PLUG,    // the cable is back: the port may be opened again
    };
    EKind nKind;
    std::string strData;
    unsigned nDelayMs = 0;
};

class CSimPhone {
public:
    // The store holds the messages of --messages; it must outlive the phone.
    CSimPhone(const CSimOptions& options, const CSimPhonebook& phonebook, CSimStore& store);
    CSimPhone(const CSimOptions& options, const CSimPhonebook& phonebook)
        : CSimPhone(options, phonebook, m_ownStore) {}

    // One received byte; what the phone does in answer is appended.
    void Receive(char ch, std::vector<CSimAction>& actions);
    bool IsHungUp() const { return m_bHungUp; }
    // How often the command (upper case, "PDU" for a PDU) has come: a rule
    // for its next time takes this plus one.
    unsigned GetCount(const std::string& strName) const
    {
        const auto it = m_counts.find(strName);
        return it == m_counts.end() ? 0 : it->second;
    }

    // Milliseconds on a clock that does not go back; std::chrono::steady_clock
    // unless a test gives its own.
    typedef std::function<long long()> CClock;
    void SetClock(const CClock& clock) { m_clock = clock; }

    // The messages that arrive over time (--incoming); none: generated ones.
    void SetIncoming(const std::vector<CIncomingPlan>& messages) { m_network.SetIncoming(messages); }
    // The program opened or closed the port. Until the phone is told of
    // one, a byte received tells an open. The first open starts the
    // network's clock; a close forgets the AT+CNMI settings unless the
    // family keeps them.
    void PortOpened(std::vector<CSimAction>& actions);
    void PortClosed(std::vector<CSimAction>& actions);
    // What the network brings by the clock's reading now, announced as
    // AT+CNMI asked; and when the next thing is due (-1: nothing is coming).
    void Tick(std::vector<CSimAction>& actions);
    long long GetNextDue() const { return m_bHungUp ? -1 : m_network.GetNextDue(); }
    bool IsUnplugged() const { return m_bUnplugged; }

private:
    struct CReply {
        std::string strEcho;
        std::vector<std::string> info;  // information text lines
        std::string strFinal;           // "OK", "ERROR", "+CMS ERROR: n", ... or empty
        std::string strRaw;             // sent as it is after the information text (the prompt)
        std::string strUnsolicited;     // lines sent on the phone's own before the answer, framed
        std::string strCommand;         // what is answered, as its echo would be
        std::string strName;            // the command's name, "PDU" or "ESC", for the log
        CQuirk quirk;
    };

    void OnCommandLine(std::vector<CSimAction>& actions);
    void OnPduByte(char ch, std::vector<CSimAction>& actions);
    void OnPduEnd(std::vector<CSimAction>& actions);
    void Execute(const std::string& strLine, CReply& reply, std::vector<CSimAction>& actions);
    // The reply's pieces with the family's lines in them, then the bursts.
    std::vector<CSimPiece> Pieces(const CReply& reply, unsigned nFirstDelayMs, std::vector<CSimAction>& actions);
    void Send(const std::string& strBurst, unsigned nDelayMs, std::vector<CSimAction>& actions, unsigned& nPieces);

    // A command line as its handler sees it.
    struct CCommand {
        std::string strName;  // up to '=' or '?', in upper case: "AT+CMGS"
        std::string strTail;  // from there: "", "?", "=?" or "=" and the arguments
        std::string strArgs;  // after '='
    };
    // Each command's handler answers into the reply; false: a form or
    // arguments it does not take (ERROR).
    typedef bool (CSimPhone::*CHandler)(const CCommand&, CReply&, std::vector<CSimAction>&);
    static const std::map<std::string, CHandler>& Commands();
    bool Attention(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Echo(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Maker(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Model(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Signal(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Registration(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool ServiceCentre(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Pin(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool MessageFormat(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Charset(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Submit(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool SelectBook(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool ReadBook(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool SelectStorage(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool List(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Delete(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Read(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    bool Indications(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions);
    std::string StorageStatus(const std::string& strMem) const;  // "<used>,<total>"

    // A submitted message that asked for a report gets one from the network:
    // now, before the next reply, or --report-after later, announced on its own.
    void ReportOn(const CSubmitInfo& info, std::vector<CSimAction>& actions);
    void ReportArrives(const CReportPlan& plan, bool bOnItsOwn, std::vector<CSimAction>& actions);
    void MessageArrives(const CIncomingPlan& plan, std::vector<CSimAction>& actions);
    // An unsolicited result code (with its PDU line) as AT+CNMI's <mode>
    // lets it out: at once, or after the answer to the PDU being typed.
    void Announce(const std::string& strCode, std::vector<CSimAction>& actions);
    void ReleaseHeld(std::vector<CSimAction>& actions);
    void Unplug(std::vector<CSimAction>& actions);
    void Replug(std::vector<CSimAction>& actions);
    bool FindFailure(const std::string& strName, std::string& strFinal, bool* pbTaken = nullptr);
    void AddUnsolicited(const std::string& strName, CReply& reply);
    CQuirk ChooseQuirk(const std::string& strName, std::vector<CSimAction>& actions);
    void Emit(const CReply& reply, std::vector<CSimAction>& actions, unsigned nFirstDelayMs = 0);
    void Log(const std::string& strFields, std::vector<CSimAction>& actions);
    void Hangup(const char* pszWhere, std::vector<CSimAction>& actions);

    CSimStore m_ownStore;  // declared first: the delegating constructor refers to it
    const CSimOptions& m_options;
    const CSimPhonebook& m_phonebook;
    CSimStore& m_store;
    const CSimHabits& m_family;    // its row: the habits logged as the family's
    const CSimHabits m_habits;     // the family's, with the options over them
    std::string m_strMem1 = "SM";  // the storage AT+CMGL and AT+CMGD work on
    // AT+CNMI: <mode> 0 keeps every announcement to itself; <mt> 0 stores a
    // message quietly, 1 stores it and says "+CMTI:", 2-3 passes it on with
    // "+CMT:"; <ds> 0 stores a report quietly, 1 "+CDS:", 2 stores and "+CDSI:".
    unsigned m_nCnmiMode = 0;
    unsigned m_nMessageMode = 0;
    unsigned m_nReportMode = 0;
    std::string m_strCnmi = "0,0,0,0,0";
    std::string m_strPendingUrc;   // announced before the next reply
    std::string m_strHeld;         // announced after the answer to the PDU being typed
    CSimNetwork m_network;
    bool m_bPortOpen = false;
    bool m_bToldOfOpens = false;   // else a byte received tells an open
    bool m_bUnplugged = false;
    bool m_bEcho;
    bool m_bHungUp = false;
    bool m_bSilent = false;
    ECharset m_charset = CS_IRA;
    std::string m_strLine;      // command line being received
    bool m_bLineTooLong = false;
    unsigned m_nCommands = 0;   // command lines received
    std::map<std::string, unsigned> m_counts;  // per command name, for --error @N
    std::minstd_rand m_random;  // for --unsolicited random: the same choices every run
    CSimQuirks m_quirks;
    CSimQuirks m_splitter;      // for --split-random
    CSimProfile m_profile;
    CSimCard m_card;
    CClock m_clock;
    unsigned m_nAnswers = 0;    // answers sent, for the module's start-up lines
    std::string m_strSca;       // AT+CSCA
    unsigned m_nCregMode = 0;   // <n> of AT+CREG

    // The PDU that follows "AT+CMGS=<n>" or "AT+CMGW=<n>".
    bool m_bInPdu = false;
    std::string m_strPduCommand;
    bool m_bLeftPdu = false;    // the PDU the phone was left waiting for (--left-at-prompt)
    unsigned m_nPduLength = 0;
    std::string m_strPdu;
    unsigned m_nPdus = 0;
    unsigned m_nMr = 0;         // the last message reference given out
    unsigned m_nStored = 0;     // the last memory index given out
    unsigned m_nMessages = 0;   // messages sent, for the printout
};
