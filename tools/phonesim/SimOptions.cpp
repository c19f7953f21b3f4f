#include "SimOptions.h"

#include <cctype>

const char kSimHelp[] =
    "Usage: phonesim [OPTIONS]\n"
    "\n"
    "A GSM phone on a pseudo-terminal, answering the AT commands of 3GPP TS\n"
    "27.005/27.007 in PDU mode as the program needs them. It prints the slave's\n"
    "path and one line per message it receives; Ctrl-C stops it.\n"
    "\n"
    "Where it is:\n"
    "  --link PATH           make PATH a symbolic link to the pty slave (replaced\n"
    "                        if it exists, removed at exit). Under Wine a COM port\n"
    "                        whose dosdevices entry points at PATH reaches the phone.\n"
    "  --log FILE            write a JSON object per line for every command, reply,\n"
    "                        PDU and event\n"
    "  --quiet               print nothing;  --verbose  print every command and reply\n"
    "\n"
    "How it answers:\n"
    "  --baud N              pace both directions at N baud (10 bits a byte; 9600\n"
    "                        is about 1.04 ms a byte); default: no pacing\n"
    "  --gap MS              pause between the bursts of one reply (default 200)\n"
    "  --no-echo             start with echo off, as after ATE0\n"
    "  --split-echo          send the echo and the answer in separate bursts\n"
    "  --late-ok             send the final result code in a burst of its own\n"
    "  --error CMD[:CODE][@N]  answer CMD (AT, ATE0, AT+CMGF, AT+CMGS, AT+CSCS, ...,\n"
    "                        or PDU for the reply to a PDU) with ERROR, or with\n"
    "                        \"+CMS ERROR: CODE\" (SMS commands and PDU) or\n"
    "                        \"+CME ERROR: CODE\" (others); with @N only its N-th\n"
    "                        time.\n"
    "                        May be given several times.\n"
    "  --silent              never answer, not even with the echo\n"
    "  --silent-after N      answer N commands, then nothing\n"
    "  --babble ok|echo|blank  while silent, repeat OK, the echo of the command\n"
    "                        not answered, or a blank line every --gap MS\n"
    "  --unsolicited WHEN=LINE  send LINE on its own before the reply to WHEN: a\n"
    "                        command as for --error (AT+CMGS: before the \"> \"\n"
    "                        prompt; PDU: before +CMGS:), with @N only its N-th\n"
    "                        time; * before every reply; random before about\n"
    "                        every other one. \\n in LINE starts a second line\n"
    "                        (+CMT: and its PDU). May be given several times.\n"
    "  --pdu-delay MS        answer each PDU MS later (the answer still comes when\n"
    "                        the port has been closed meanwhile)\n"
    "  --hangup-after N      disconnect when the N-th command arrives\n"
    "  --hangup-in-pdu N     disconnect in the middle of the N-th PDU\n"
    "  --busy                the port is in use by another program: opening it fails\n"
    "  --maker TEXT          the answer to AT+CGMI (default PhoneSim)\n"
    "  --random-quirks SEED  misbehave at random, the same way for the same SEED:\n"
    "                        split echoes, late OKs, echo on again at AT,\n"
    "                        unsolicited lines, transient and permanent +CMS\n"
    "                        ERROR for a PDU, now and then no answer at all (a\n"
    "                        PDU not answered is not taken); logged as quirk\n"
    "  --network-quirks WAIT_MS  with --random-quirks, a network and a SIM of real\n"
    "                        life too, for a program that awaits the answer to a\n"
    "                        PDU WAIT_MS: of the PDUs about 1 in 25 answered 1 to\n"
    "                        8 s late and 7 in 10,000 just after WAIT_MS (taken),\n"
    "                        1 in 200 +CMS ERROR: 332 (network timeout; taken in\n"
    "                        half of them, logged with its mr), 1 in 100 +CMS\n"
    "                        ERROR: 314 (SIM busy); of the prompts about 1 in 25\n"
    "                        0.5 to 3 s late; each logged as a quirk with delay_ms\n"
    "  --noise BYTES         send BYTES of line noise before the first answer\n"
    "  --split-random SEED   cut every burst at random places (the same for the same\n"
    "                        SEED) into 1 to 4 pieces, each after a pause of 60 to\n"
    "                        150 ms: an answer comes in several reads\n"
    "  --prompt-delay MS     send the \"> \" prompt of AT+CMGS and AT+CMGW MS later;\n"
    "                        the phone waits for the PDU at once (an ESC meanwhile\n"
    "                        aborts, and the prompt still comes before its OK)\n"
    "  --left-at-prompt      start waiting for a PDU, as another program or a crash\n"
    "                        left the phone after \"> \": everything up to ESC or\n"
    "                        Ctrl-Z is PDU text (AT commands too); ESC answers OK,\n"
    "                        Ctrl-Z +CMS ERROR: 304\n"
    "\n"
    "SIM and network (AT+CPIN, AT+CSQ, AT+CREG, AT+CSCA, AT+CGMM):\n"
    "  --sim-pin PIN         the SIM is locked by PIN (4 to 8 digits) until\n"
    "                        AT+CPIN=\"PIN\"; three wrong ones lock it by its PUK\n"
    "  --sim-puk PUK         the PUK (8 digits, default 12345678), given with a new\n"
    "                        PIN: AT+CPIN=\"PUK\",\"NEWPIN\"\n"
    "                        While locked, the SMS commands answer +CMS ERROR: 311\n"
    "                        (316 for the PUK), AT+CPBS and AT+CPBR +CME ERROR: 11\n"
    "                        (12); a wrong PIN or PUK +CME ERROR: 16\n"
    "  --sim-busy MS         the SIM is busy for MS after the first command and\n"
    "                        after each PIN accepted: the SMS commands answer +CMS\n"
    "                        ERROR: 314, AT+CPBS, AT+CPBR and AT+CPIN +CME ERROR: 14\n"
    "  --model TEXT          the answer to AT+CGMM (default PhoneSim 1)\n"
    "  --signal N            +CSQ: N,99 (0-31, 99 no signal; default 20)\n"
    "  --network STAT        +CREG: 0,STAT (0 not registered, 1 home, 2 searching,\n"
    "                        3 denied, 5 roaming; default 1)\n"
    "  --sca NUMBER          +CSCA: \"NUMBER\",145 (129 without +; default\n"
    "                        +4917010000; \"\" for none)\n"
    "\n"
    "Modem families (combine with the other options, which win where they differ;\n"
    "each habit used is logged as a quirk):\n"
    "  --profile stick       echo on; ^RSSI:, ^MODE: and ^BOOT: reports at random\n"
    "                        before the echo, between the lines of an answer and\n"
    "                        after it; unknown commands answer COMMAND NOT SUPPORT\n"
    "  --profile module      RDY, +CFUN: 1, +CPIN: ..., Call Ready and SMS Ready in\n"
    "                        the first three answers; the SIM busy for 3000 ms as\n"
    "                        with --sim-busy 3000\n"
    "  --profile phone       split echo and late OK, as --split-echo --late-ok\n"
    "  --profile-seed N      the seed of the stick's reports (default 1)\n"
    "\n"
    "Phone book (\"SM\"; AT+CPBS, AT+CPBR; names in the AT+CSCS character set):\n"
    "  --phonebook N         N generated entries (default 5)\n"
    "  --phonebook-file F    one location a line, NUMBER<TAB>NAME in UTF-8; an empty\n"
    "                        line is an empty location; lines starting with # are\n"
    "                        comments\n"
    "  --phonebook-size N    the number of locations (default: as many as given)\n"
    "  --cpbr-not-found      answer AT+CPBR over locations that are all empty with\n"
    "                        +CME ERROR: 22 (not found), as many phones do\n"
    "\n"
    "Stored messages (\"SM\" 30 locations, \"ME\" 100, \"MT\" both; AT+CPMS,\n"
    "AT+CMGL=<0-4>, AT+CMGD=<index>[,<flag>], AT+CNMI):\n"
    "  --messages FILE       received messages from a JSON file: {\"messages\": [{\n"
    "                        \"sender\", \"time\", \"text\", \"encoding\" (gsm7, ucs2,\n"
    "                        8bit), \"reference\", \"reference_bits\", \"parts\",\n"
    "                        \"storage\" (SM, ME), \"read\"}]}\n"
    "  --report-status N     a message submitted with TP-SRR gets a status report\n"
    "                        with TP-ST N (default 0: delivered), stored in \"SM\"\n"
    "                        (announced with +CDSI after AT+CNMI=...,2,..; sent as\n"
    "                        +CDS instead of stored after AT+CNMI=...,1,..)\n"
    "\n"
    "Commands: AT, ATE0, ATE1, AT+CMGF=0, AT+CMGS=<n> (\"> \", hex PDU, Ctrl-Z;\n"
    "ESC aborts), AT+CMGW=<n>, AT+CGMI, AT+CGMM, AT+CSQ, AT+CREG, AT+CSCA, AT+CPIN,\n"
    "AT+CSCS (IRA, GSM, UCS2, UTF-8), AT+CPBS, AT+CPBR=? and AT+CPBR=<a>[,<b>],\n"
    "AT+CPMS, AT+CMGL, AT+CMGD, AT+CNMI. ESC between commands is ignored and drops\n"
    "what was typed before it. Anything else is answered with ERROR.\n";

namespace {

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

} // namespace

const char* ProfileName(ESimProfile nProfile)
{
    switch (nProfile) {
    case PROFILE_STICK: return "stick";
    case PROFILE_MODULE: return "module";
    case PROFILE_PHONE: return "phone";
    default: return "";
    }
}

bool ParseSimOptions(const std::vector<std::string>& args, CSimOptions& options, std::string& strError)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        std::string strValue;
        auto value = [&]() {
            if (i + 1 >= args.size()) {
                strError = strArg + " needs a value";
                return false;
            }
            strValue = args[++i];
            return true;
        };
        auto number = [&](unsigned long nMax, unsigned long& n) {
            if (!value())
                return false;
            if (!ParseNumber(strValue, nMax, n)) {
                strError = strArg + " takes a number up to " + std::to_string(nMax);
                return false;
            }
            return true;
        };
        unsigned long n = 0;
        if (strArg == "--help" || strArg == "-h")
            options.bHelp = true;
        else if (strArg == "--link") {
            if (!value())
                return false;
            options.strLink = strValue;
        } else if (strArg == "--log") {
            if (!value())
                return false;
            options.strLog = strValue;
        } else if (strArg == "--baud") {
            if (!number(4000000, n))
                return false;
            options.nBaud = static_cast<unsigned>(n);
        } else if (strArg == "--gap") {
            if (!number(60000, n))
                return false;
            options.nGapMs = static_cast<unsigned>(n);
        } else if (strArg == "--no-echo")
            options.bEcho = false;
        else if (strArg == "--split-echo")
            options.bSplitEcho = true;
        else if (strArg == "--late-ok")
            options.bLateOk = true;
        else if (strArg == "--error") {
            CFailRule rule;
            if (!value())
                return false;
            if (!ParseFailRule(strValue, rule)) {
                strError = "--error takes CMD[:CODE][@N], for example AT+CMGS:500@2";
                return false;
            }
            options.fails.push_back(rule);
        } else if (strArg == "--unsolicited") {
            CUnsolicitedRule rule;
            if (!value())
                return false;
            if (!ParseUnsolicitedRule(strValue, rule)) {
                strError = "--unsolicited takes WHEN[@N]=LINE, for example AT+CMGS=+CMTI: \"SM\",3";
                return false;
            }
            options.unsolicited.push_back(rule);
        } else if (strArg == "--babble") {
            if (!value())
                return false;
            if (strValue == "ok")
                options.nBabble = CSimOptions::BABBLE_OK;
            else if (strValue == "echo")
                options.nBabble = CSimOptions::BABBLE_ECHO;
            else if (strValue == "blank")
                options.nBabble = CSimOptions::BABBLE_BLANK;
            else {
                strError = "--babble takes ok, echo or blank";
                return false;
            }
        } else if (strArg == "--pdu-delay") {
            if (!number(600000, n))
                return false;
            options.nPduDelayMs = static_cast<unsigned>(n);
        } else if (strArg == "--cpbr-not-found")
            options.bEmptyRangeNotFound = true;
        else if (strArg == "--silent")
            options.nSilentAfter = 0;
        else if (strArg == "--silent-after") {
            if (!number(1000000, n))
                return false;
            options.nSilentAfter = static_cast<int>(n);
        } else if (strArg == "--hangup-after") {
            if (!number(1000000, n) || n == 0) {
                strError = "--hangup-after takes a command number from 1";
                return false;
            }
            options.nHangupAfter = static_cast<int>(n);
        } else if (strArg == "--hangup-in-pdu") {
            if (!number(1000000, n) || n == 0) {
                strError = "--hangup-in-pdu takes a PDU number from 1";
                return false;
            }
            options.nHangupInPdu = static_cast<int>(n);
        } else if (strArg == "--random-quirks") {
            if (!number(999999999, n) || n == 0) {
                strError = "--random-quirks takes a seed from 1";
                return false;
            }
            options.nQuirkSeed = static_cast<unsigned>(n);
        } else if (strArg == "--network-quirks") {
            if (!number(3600000, n) || n == 0) {
                strError = "--network-quirks takes the program's wait in ms, from 1";
                return false;
            }
            options.nNetworkWaitMs = static_cast<unsigned>(n);
        } else if (strArg == "--noise") {
            if (!number(100000000, n))
                return false;
            options.nNoiseBytes = static_cast<unsigned>(n);
        } else if (strArg == "--busy")
            options.bBusy = true;
        else if (strArg == "--maker") {
            if (!value())
                return false;
            options.strMaker = strValue;
        } else if (strArg == "--phonebook") {
            if (!number(10000, n))
                return false;
            options.nPhonebook = static_cast<unsigned>(n);
        } else if (strArg == "--phonebook-file") {
            if (!value())
                return false;
            options.strPhonebookFile = strValue;
        } else if (strArg == "--phonebook-size") {
            if (!number(10000, n))
                return false;
            options.nPhonebookSize = static_cast<unsigned>(n);
        } else if (strArg == "--messages") {
            if (!value())
                return false;
            options.strMessagesFile = strValue;
        } else if (strArg == "--report-status") {
            if (!number(255, n))
                return false;
            options.nReportStatus = static_cast<unsigned>(n);
        } else if (strArg == "--left-at-prompt")
            options.bLeftAtPrompt = true;
        else if (strArg == "--prompt-delay") {
            if (!number(600000, n))
                return false;
            options.nPromptDelayMs = static_cast<unsigned>(n);
        } else if (strArg == "--sim-pin" || strArg == "--sim-puk") {
            const bool bPin = strArg == "--sim-pin";
            if (!value())
                return false;
            if (bPin ? !IsDigits(strValue, 4, 8, false) : !IsDigits(strValue, 8, 8, false)) {
                strError = bPin ? "--sim-pin takes 4 to 8 digits" : "--sim-puk takes 8 digits";
                return false;
            }
            (bPin ? options.strSimPin : options.strSimPuk) = strValue;
        } else if (strArg == "--sim-busy") {
            if (!number(600000, n))
                return false;
            options.nSimBusyMs = static_cast<int>(n);
        } else if (strArg == "--split-random") {
            if (!number(999999999, n) || n == 0) {
                strError = "--split-random takes a seed from 1";
                return false;
            }
            options.nSplitSeed = static_cast<unsigned>(n);
        } else if (strArg == "--model") {
            if (!value())
                return false;
            options.strModel = strValue;
        } else if (strArg == "--signal") {
            if (!number(99, n) || (n > 31 && n != 99)) {
                strError = "--signal takes 0 to 31, or 99 for no signal";
                return false;
            }
            options.nSignal = static_cast<unsigned>(n);
        } else if (strArg == "--network") {
            if (!number(5, n)) {
                strError = "--network takes a registration state from 0 to 5";
                return false;
            }
            options.nNetwork = static_cast<unsigned>(n);
        } else if (strArg == "--sca") {
            if (!value())
                return false;
            if (!strValue.empty() && !IsDigits(strValue, 1, 20, true)) {
                strError = "--sca takes a number of up to 20 digits, + first when international, or \"\"";
                return false;
            }
            options.strSca = strValue;
        } else if (strArg == "--profile") {
            if (!value())
                return false;
            if (strValue == "stick")
                options.nProfile = PROFILE_STICK;
            else if (strValue == "module")
                options.nProfile = PROFILE_MODULE;
            else if (strValue == "phone")
                options.nProfile = PROFILE_PHONE;
            else {
                strError = "--profile takes stick, module or phone";
                return false;
            }
        } else if (strArg == "--profile-seed") {
            if (!number(999999999, n))
                return false;
            options.nProfileSeed = static_cast<unsigned>(n);
        } else if (strArg == "--quiet")
            options.bQuiet = true;
        else if (strArg == "--verbose")
            options.bVerbose = true;
        else {
            strError = "unknown option " + strArg + "; see phonesim --help";
            return false;
        }
    }
    if (options.nNetworkWaitMs && !options.nQuirkSeed) {
        strError = "--network-quirks needs --random-quirks";
        return false;
    }
    return true;
}
