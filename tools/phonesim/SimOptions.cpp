#include "SimOptions.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "SimProfile.h"
#include "common/Args.h"

namespace {

const unsigned long kMaxSeconds = 1000000;

bool ParseNumber(const std::string& str, unsigned long nMax, unsigned long& n)
{
    if (str.empty() || str.size() > 9)
        return false;
    n = 0;
    for (char ch : str) {
        if (!std::isdigit(static_cast<unsigned char>(ch)))
            return false;
        n = n * 10 + static_cast<unsigned long>(ch - '0');
    }
    return n <= nMax;
}

bool ParseFailRule(const std::string& strArg, CFailRule& rule)
{
    std::string str = strArg;
    unsigned long n = 0;
    const size_t nAt = str.rfind('@');
    if (nAt != std::string::npos) {
        if (!ParseNumber(str.substr(nAt + 1), 100000, n) || n == 0)
            return false;
        rule.nOccurrence = static_cast<unsigned>(n);
        str.erase(nAt);
    }
    const size_t nColon = str.find(':');
    if (nColon != std::string::npos) {
        if (!ParseNumber(str.substr(nColon + 1), 65535, n))
            return false;
        rule.nCode = static_cast<int>(n);
        str.erase(nColon);
    }
    if (str.empty())
        return false;
    for (char& ch : str)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    rule.strCommand = str;
    return true;
}

bool ParseUnsolicitedRule(const std::string& strArg, CUnsolicitedRule& rule)
{
    const size_t nEq = strArg.find('=');
    if (nEq == std::string::npos || nEq == 0 || nEq + 1 == strArg.size())
        return false;
    std::string strWhen = strArg.substr(0, nEq);
    const size_t nAt = strWhen.rfind('@');
    if (nAt != std::string::npos) {
        unsigned long n = 0;
        if (!ParseNumber(strWhen.substr(nAt + 1), 100000, n) || n == 0)
            return false;
        rule.nOccurrence = static_cast<unsigned>(n);
        strWhen.erase(nAt);
    }
    if (strWhen.empty())
        return false;
    for (char& ch : strWhen)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    rule.strWhen = strWhen;
    rule.strText.clear();
    const std::string strText = strArg.substr(nEq + 1);
    for (size_t i = 0; i < strText.size(); ++i) {
        if (strText.compare(i, 2, "\\n") == 0) {
            rule.strText += "\r\n";
            ++i;
        } else {
            rule.strText += strText[i];
        }
    }
    return true;
}

// nMin to nMax digits, after a '+' when bPlus allows one.
bool IsDigits(const std::string& str, size_t nMin, size_t nMax, bool bPlus)
{
    const size_t nStart = bPlus && !str.empty() && str[0] == '+' ? 1 : 0;
    const size_t nDigits = str.size() - nStart;
    if (nDigits < nMin || nDigits > nMax)
        return false;
    for (size_t i = nStart; i < str.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(str[i])))
            return false;
    }
    return true;
}

// One option: its name, the value it takes, its entry of the help and what
// it sets. A row without a name is a title of the help; one without apply
// only an entry of the help.
struct COption {
    const char* pszName;
    const char* pszValue;  // the value as the help names it; nullptr: a flag
    const char* pszHelp;   // its lines of the help; nullptr: not listed
    std::function<bool(CSimOptions&, const std::string&)> apply;  // false: a bad value
    std::string strTakes;  // what a bad value is told the option takes
};

COption Title(const char* pszTitle)
{
    return {nullptr, nullptr, pszTitle, nullptr, ""};
}

COption Flag(const char* pszName, const char* pszHelp, void (*pSet)(CSimOptions&))
{
    return {pszName, nullptr, pszHelp, [pSet](CSimOptions& options, const std::string&) {
                pSet(options);
                return true;
            }, ""};
}

// Any text, or one that pValid accepts.
COption Text(const char* pszName, const char* pszValue, const char* pszHelp, std::string CSimOptions::*pField,
             bool (*pValid)(const std::string&) = nullptr, const std::string& strTakes = "")
{
    return {pszName, pszValue, pszHelp, [=](CSimOptions& options, const std::string& strValue) {
                if (pValid && !pValid(strValue))
                    return false;
                options.*pField = strValue;
                return true;
            }, strTakes};
}

template <typename T>
COption Number(const char* pszName, const char* pszValue, const char* pszHelp, T CSimOptions::*pField,
               unsigned long nMax, unsigned long nMin = 0, const char* pszTakes = nullptr)
{
    return {pszName, pszValue, pszHelp, [=](CSimOptions& options, const std::string& strValue) {
                unsigned long n = 0;
                if (!ParseNumber(strValue, nMax, n) || n < nMin)
                    return false;
                options.*pField = static_cast<T>(n);
                return true;
            }, pszTakes ? pszTakes : "a number up to " + std::to_string(nMax)};
}

// May be given several times: each value one more rule.
template <typename T>
COption Rule(const char* pszName, const char* pszValue, const char* pszHelp, bool (*pParse)(const std::string&, T&),
             std::vector<T> CSimOptions::*pRules, const char* pszTakes)
{
    return {pszName, pszValue, pszHelp, [=](CSimOptions& options, const std::string& strValue) {
                T rule;
                if (!pParse(strValue, rule))
                    return false;
                (options.*pRules).push_back(rule);
                return true;
            }, pszTakes};
}

// "stick, module or phone"
std::string FamilyNames()
{
    std::string strNames;
    const size_t nCount = kSimFamilies.size();
    for (size_t i = 1; i < nCount; ++i)
        strNames += (i == 1 ? "" : i + 1 == nCount ? " or " : ", ") + std::string(kSimFamilies[i].pszFamily);
    return strNames;
}

std::vector<COption> WhereOptions()
{
    return {
        Flag("--help", nullptr, [](CSimOptions& o) { o.bHelp = true; }),
        Flag("-h", nullptr, [](CSimOptions& o) { o.bHelp = true; }),
        Title("Where it is:"),
        Text("--link", "PATH",
             "make PATH a symbolic link to the pty slave (replaced\n"
             "if it exists, removed at exit). Under Wine a COM port\n"
             "whose dosdevices entry points at PATH reaches the phone.",
             &CSimOptions::strLink),
        Text("--log", "FILE",
             "write a JSON object per line for every command, reply,\n"
             "PDU and event",
             &CSimOptions::strLog),
        Flag("--quiet", "print nothing;  --verbose  print every command and reply",
             [](CSimOptions& o) { o.bQuiet = true; }),
        Flag("--verbose", nullptr, [](CSimOptions& o) { o.bVerbose = true; }),
    };
}

std::vector<COption> AnswerOptions()
{
    return {
        Title("How it answers:"),
        Number("--baud", "N",
               "pace both directions at N baud (10 bits a byte; 9600\n"
               "is about 1.04 ms a byte); default: no pacing",
               &CSimOptions::nBaud, 4000000),
        Number("--gap", "MS", "pause between the bursts of one reply (default 200)", &CSimOptions::nGapMs, 60000),
        Flag("--no-echo", "start with echo off, as after ATE0", [](CSimOptions& o) { o.bEcho = false; }),
        Flag("--split-echo", "send the echo and the answer in separate bursts",
             [](CSimOptions& o) { o.bSplitEcho = true; }),
        Flag("--late-ok", "send the final result code in a burst of its own", [](CSimOptions& o) { o.bLateOk = true; }),
        Rule("--error", "CMD[:CODE][@N]",
         "answer CMD (AT, ATE0, AT+CMGF, AT+CMGS, AT+CSCS, ...,\n"
         "or PDU for the reply to a PDU) with ERROR, or with\n"
         "\"+CMS ERROR: CODE\" (SMS commands and PDU) or\n"
         "\"+CME ERROR: CODE\" (others); with @N only its N-th\n"
         "time.\n"
         "May be given several times.",
         ParseFailRule, &CSimOptions::fails, "CMD[:CODE][@N], for example AT+CMGS:500@2"),
        Flag("--silent", "never answer, not even with the echo", [](CSimOptions& o) { o.nSilentAfter = 0; }),
        Number("--silent-after", "N", "answer N commands, then nothing", &CSimOptions::nSilentAfter, 1000000),
        {"--babble", "ok|echo|blank",
         "while silent, repeat OK, the echo of the command\n"
         "not answered, or a blank line every --gap MS",
         [](CSimOptions& o, const std::string& strValue) {
             const std::string kBabbles[] = {"ok", "echo", "blank"};
             const auto it = std::find(std::begin(kBabbles), std::end(kBabbles), strValue);
             if (it == std::end(kBabbles))
                 return false;
             o.nBabble = static_cast<CSimOptions::EBabble>(CSimOptions::BABBLE_OK + (it - std::begin(kBabbles)));
             return true;
         },
         "ok, echo or blank"},
        Rule("--unsolicited", "WHEN=LINE",
         "send LINE on its own before the reply to WHEN: a\n"
         "command as for --error (AT+CMGS: before the \"> \"\n"
         "prompt; PDU: before +CMGS:), with @N only its N-th\n"
         "time; * before every reply; random before about\n"
         "every other one. \\n in LINE starts a second line\n"
         "(+CMT: and its PDU). May be given several times.",
         ParseUnsolicitedRule, &CSimOptions::unsolicited, "WHEN[@N]=LINE, for example AT+CMGS=+CMTI: \"SM\",3"),
        Number("--pdu-delay", "MS",
               "answer each PDU MS later (the answer still comes when\n"
               "the port has been closed meanwhile)",
               &CSimOptions::nPduDelayMs, 600000),
        Number("--hangup-after", "N", "disconnect when the N-th command arrives", &CSimOptions::nHangupAfter, 1000000,
               1, "a command number from 1"),
        Number("--hangup-in-pdu", "N", "disconnect in the middle of the N-th PDU", &CSimOptions::nHangupInPdu, 1000000,
               1, "a PDU number from 1"),
        Flag("--busy", "the port is in use by another program: opening it fails",
             [](CSimOptions& o) { o.bBusy = true; }),
        Text("--maker", "TEXT", "the answer to AT+CGMI (default PhoneSim)", &CSimOptions::strMaker),
        Number("--random-quirks", "SEED",
               "misbehave at random, the same way for the same SEED:\n"
               "split echoes, late OKs, echo on again at AT,\n"
               "unsolicited lines, transient and permanent +CMS\n"
               "ERROR for a PDU, now and then no answer at all (a\n"
               "PDU not answered is not taken); logged as quirk",
               &CSimOptions::nQuirkSeed, 999999999, 1, "a seed from 1"),
        Number("--network-quirks", "WAIT_MS",
               "with --random-quirks, a network and a SIM of real\n"
               "life too, for a program that awaits the answer to a\n"
               "PDU WAIT_MS: of the PDUs about 1 in 25 answered 1 to\n"
               "8 s late and 7 in 10,000 just after WAIT_MS (taken),\n"
               "1 in 200 +CMS ERROR: 332 (network timeout; taken in\n"
               "half of them, logged with its mr), 1 in 100 +CMS\n"
               "ERROR: 314 (SIM busy); of the prompts about 1 in 25\n"
               "0.5 to 3 s late; each logged as a quirk with delay_ms",
               &CSimOptions::nNetworkWaitMs, 3600000, 1, "the program's wait in ms, from 1"),
        Number("--noise", "BYTES", "send BYTES of line noise before the first answer", &CSimOptions::nNoiseBytes,
               100000000),
        Number("--split-random", "SEED",
               "cut every burst at random places (the same for the same\n"
               "SEED) into 1 to 4 pieces, each after a pause of 60 to\n"
               "150 ms: an answer comes in several reads",
               &CSimOptions::nSplitSeed, 999999999, 1, "a seed from 1"),
        Number("--prompt-delay", "MS",
               "send the \"> \" prompt of AT+CMGS and AT+CMGW MS later;\n"
               "the phone waits for the PDU at once (an ESC meanwhile\n"
               "aborts, and the prompt still comes before its OK)",
               &CSimOptions::nPromptDelayMs, 600000),
        Flag("--left-at-prompt",
             "start waiting for a PDU, as another program or a crash\n"
             "left the phone after \"> \": everything up to ESC or\n"
             "Ctrl-Z is PDU text (AT commands too); ESC answers OK,\n"
             "Ctrl-Z +CMS ERROR: 304",
             [](CSimOptions& o) { o.bLeftAtPrompt = true; }),
    };
}

std::vector<COption> CardOptions()
{
    return {
        Title("SIM and network (AT+CPIN, AT+CSQ, AT+CREG, AT+CSCA, AT+CGMM):"),
        Text("--sim-pin", "PIN",
             "the SIM is locked by PIN (4 to 8 digits) until\n"
             "AT+CPIN=\"PIN\"; three wrong ones lock it by its PUK",
             &CSimOptions::strSimPin, [](const std::string& str) { return IsDigits(str, 4, 8, false); },
             "4 to 8 digits"),
        Text("--sim-puk", "PUK",
             "the PUK (8 digits, default 12345678), given with a new\n"
             "PIN: AT+CPIN=\"PUK\",\"NEWPIN\"\n"
             "While locked, the SMS commands answer +CMS ERROR: 311\n"
             "(316 for the PUK), AT+CPBS and AT+CPBR +CME ERROR: 11\n"
             "(12); a wrong PIN or PUK +CME ERROR: 16",
             &CSimOptions::strSimPuk, [](const std::string& str) { return IsDigits(str, 8, 8, false); }, "8 digits"),
        Number("--sim-busy", "MS",
               "the SIM is busy for MS after the first command and\n"
               "after each PIN accepted: the SMS commands answer +CMS\n"
               "ERROR: 314, AT+CPBS, AT+CPBR and AT+CPIN +CME ERROR: 14",
               &CSimOptions::nSimBusyMs, 600000),
        Text("--model", "TEXT", "the answer to AT+CGMM (default PhoneSim 1)", &CSimOptions::strModel),
        {"--signal", "N", "+CSQ: N,99 (0-31, 99 no signal; default 20)",
         [](CSimOptions& o, const std::string& strValue) {
             unsigned long n = 0;
             if (!ParseNumber(strValue, 99, n) || (n > 31 && n != 99))
                 return false;
             o.nSignal = static_cast<unsigned>(n);
             return true;
         },
         "0 to 31, or 99 for no signal"},
        Number("--network", "STAT",
               "+CREG: 0,STAT (0 not registered, 1 home, 2 searching,\n"
               "3 denied, 5 roaming; default 1)",
               &CSimOptions::nNetwork, 5, 0, "a registration state from 0 to 5"),
        Text("--sca", "NUMBER",
             "+CSCA: \"NUMBER\",145 (129 without +; default\n"
             "+4917010000; \"\" for none)",
             &CSimOptions::strSca, [](const std::string& str) { return str.empty() || IsDigits(str, 1, 20, true); },
             "a number of up to 20 digits, + first when international, or \"\""),
    };
}

// A family's entries of the help come from its row.
std::vector<COption> FamilyOptions()
{
    std::vector<COption> options = {
        Title("Modem families (combine with the other options, which win where they differ;\n"
              "each habit used is logged as a quirk):"),
    };
    for (const CSimHabits& family : kSimFamilies) {
        if (family.pszHelp)
            options.push_back({"--profile", family.pszFamily, family.pszHelp, nullptr, ""});
    }
    options.push_back(Text("--profile", "FAMILY", nullptr, &CSimOptions::strProfile,
                           [](const std::string& str) { return !str.empty() && FindFamily(str); }, FamilyNames()));
    options.push_back(Number("--profile-seed", "N", "the seed of the stick's reports (default 1)",
                             &CSimOptions::nProfileSeed, 999999999));
    return options;
}

std::vector<COption> BookOptions()
{
    return {
        Title("Phone book (\"SM\"; AT+CPBS, AT+CPBR; names in the AT+CSCS character set):"),
        Number("--phonebook", "N", "N generated entries (default 5)", &CSimOptions::nPhonebook, 10000),
        Text("--phonebook-file", "F",
             "one location a line, NUMBER<TAB>NAME in UTF-8; an empty\n"
             "line is an empty location; lines starting with # are\n"
             "comments",
             &CSimOptions::strPhonebookFile),
        Number("--phonebook-size", "N", "the number of locations (default: as many as given)",
               &CSimOptions::nPhonebookSize, 10000),
        Flag("--cpbr-not-found",
             "answer AT+CPBR over locations that are all empty with\n"
             "+CME ERROR: 22 (not found), as many phones do",
             [](CSimOptions& o) { o.bEmptyRangeNotFound = true; }),
    };
}

std::vector<COption> StoreOptions()
{
    return {
        Title("Stored messages (\"SM\" 30 locations, \"ME\" 100, \"MT\" both; AT+CPMS,\n"
              "AT+CMGL=<0-4>, AT+CMGR=<index>, AT+CMGD=<index>[,<flag>], AT+CNMI):"),
        Text("--messages", "FILE",
             "received messages from a JSON file: {\"messages\": [{\n"
             "\"sender\", \"time\", \"text\", \"encoding\" (gsm7, ucs2,\n"
             "8bit), \"reference\", \"reference_bits\", \"parts\",\n"
             "\"storage\" (SM, ME), \"read\"}]}",
             &CSimOptions::strMessagesFile),
        Number("--report-status", "N",
               "a message submitted with TP-SRR gets a status report\n"
               "with TP-ST N (default 0: delivered), stored in \"SM\"\n"
               "(announced with +CDSI after AT+CNMI=...,2,..; sent as\n"
               "+CDS instead of stored after AT+CNMI=...,1,..)",
               &CSimOptions::nReportStatus, 255),
    };
}

// "5,12,30": seconds, in any order.
bool ParseSeconds(const std::string& strList, std::vector<unsigned>& seconds)
{
    seconds.clear();
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = strList.find(',', nStart);
        unsigned long n = 0;
        if (!ParseNumber(strList.substr(nStart, nComma - nStart), kMaxSeconds, n))
            return false;
        seconds.push_back(static_cast<unsigned>(n));
        if (nComma == std::string::npos)
            return true;
        nStart = nComma + 1;
    }
}

std::vector<COption> TimeOptions()
{
    return {
        Title("Over time (seconds from the program's first open of the port; announced as\n"
              "AT+CNMI=<mode>,<mt>,<bm>,<ds> asks: nothing before it, nothing with <mode>\n"
              "0; +CMTI: \"SM\",<index> with <mt> 1, +CMT: ,<length> and the PDU with <mt>\n"
              "2 or 3 (not stored); a close of the port forgets AT+CNMI unless the family\n"
              "keeps it):"),
        Text("--incoming", "FILE",
             "the messages that arrive, from a file as --messages,\n"
             "in its order and again from the first; stamped with\n"
             "the time they arrive. Without it: a rotating set of\n"
             "senders, one message in UCS-2, one in two parts",
             &CSimOptions::strIncomingFile),
        {"--incoming-at", "S[,S...]", "a message arrives at each of these seconds",
         [](CSimOptions& o, const std::string& strValue) { return ParseSeconds(strValue, o.incomingAt); },
         "seconds, separated by commas, for example 5,12"},
        Number("--incoming-every", "S", "a message arrives every S seconds", &CSimOptions::nIncomingEvery,
               kMaxSeconds, 1, "seconds from 1"),
        Number("--report-after", "S",
               "the report on a message with TP-SRR arrives S seconds\n"
               "after its submission, on its own (default: before the\n"
               "next reply)",
               &CSimOptions::nReportAfter, kMaxSeconds),
        Number("--unplug-at", "S",
               "pull the cable at S: the --link goes and the pty is\n"
               "closed, so the program's reads and writes on the open\n"
               "port fail (under Wine with errors 109 and 21) and a\n"
               "new open finds no port (error 2); what arrives\n"
               "meanwhile is stored, not announced",
               &CSimOptions::nUnplugAt, kMaxSeconds),
        Number("--unplug-for", "S",
               "put it back S seconds later (default 15): a new pty\n"
               "under the same link, for the program to open again",
               &CSimOptions::nUnplugFor, kMaxSeconds, 1, "seconds from 1"),
    };
}

// In the help's order.
const std::vector<COption>& Options()
{
    static const std::vector<COption> options = [] {
        std::vector<COption> all;
        for (auto section :
             {WhereOptions, AnswerOptions, CardOptions, FamilyOptions, BookOptions, StoreOptions, TimeOptions}) {
            const std::vector<COption> rows = section();
            all.insert(all.end(), rows.begin(), rows.end());
        }
        return all;
    }();
    return options;
}

// The row that sets the option spelled so; nullptr for none.
const COption* FindOption(const std::string& strName)
{
    for (const COption& option : Options()) {
        if (option.apply && strName == option.pszName)
            return &option;
    }
    return nullptr;
}

} // namespace

std::string SimHelp()
{
    std::string strHelp =
        "Usage: phonesim [OPTIONS]\n"
        "\n"
        "A GSM phone on a pseudo-terminal, answering the AT commands of 3GPP TS\n"
        "27.005/27.007 in PDU mode as the program needs them. It prints the slave's\n"
        "path and one line per message it receives; Ctrl-C stops it.\n";
    for (const COption& option : Options()) {
        if (!option.pszHelp)
            continue;
        if (!option.pszName) {
            strHelp += "\n" + std::string(option.pszHelp) + "\n";
            continue;
        }
        // "  --gap MS" and the help's lines from the 25th column on.
        std::string strShown = option.pszName;
        if (option.pszValue)
            strShown += std::string(" ") + option.pszValue;
        strShown.resize(std::max<size_t>(strShown.size(), 20), ' ');
        strHelp += "  " + strShown + "  ";
        for (const char* psz = option.pszHelp; *psz; ++psz)
            strHelp += *psz == '\n' ? "\n" + std::string(24, ' ') : std::string(1, *psz);
        strHelp += "\n";
    }
    return strHelp +
           "\n"
           "Commands: AT, ATE0, ATE1, AT+CMGF=0, AT+CMGS=<n> (\"> \", hex PDU, Ctrl-Z;\n"
           "ESC aborts), AT+CMGW=<n>, AT+CGMI, AT+CGMM, AT+CSQ, AT+CREG, AT+CSCA, AT+CPIN,\n"
           "AT+CSCS (IRA, GSM, UCS2, UTF-8), AT+CPBS, AT+CPBR=? and AT+CPBR=<a>[,<b>],\n"
           "AT+CPMS, AT+CMGL, AT+CMGR, AT+CMGD, AT+CNMI. ESC between commands is ignored\n"
           "and drops what was typed before it. Anything else is answered with ERROR.\n";
}

// In the command line's order, so that a later option overrides an earlier
// one that sets the same (--silent, --silent-after) and a value is never
// taken for an option.
bool ParseSimOptions(const std::vector<std::string>& args, CSimOptions& options, std::string& strError)
{
    CArgs parsed(args);
    std::string strArg, strValue;
    while (parsed.Next(strArg)) {
        const std::string strName = strArg.substr(0, strArg.find('='));
        const COption* pOption = FindOption(strName);
        if (pOption && pOption->pszValue && !parsed.Option(pOption->pszName, strValue)) {
            strError = strName + " needs a value";
            return false;
        }
        if (!pOption || (!pOption->pszValue && !parsed.Flag(pOption->pszName))) {
            strError = "unknown option " + strArg + "; see phonesim --help";
            return false;
        }
        if (!pOption->apply(options, strValue)) {
            strError = strName + " takes " + pOption->strTakes;
            return false;
        }
    }
    std::vector<std::string> rest;  // after "--"
    if (parsed.Positionals(rest, strError) && !rest.empty()) {
        strError = "unknown option " + rest[0] + "; see phonesim --help";
        return false;
    }
    if (options.nNetworkWaitMs && !options.nQuirkSeed) {
        strError = "--network-quirks needs --random-quirks";
        return false;
    }
    if (!options.strIncomingFile.empty() && options.incomingAt.empty() && !options.nIncomingEvery) {
        strError = "--incoming needs --incoming-at or --incoming-every";
        return false;
    }
    return true;
}
