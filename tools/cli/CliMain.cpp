// zandusms-cli: entry, help and subcommand dispatch.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "cli/Cli.h"
#include "base/Trace.h"

namespace {

const char kHelp[] =
    "Usage: zandusms-cli COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "Commands that talk to the phone (Windows build only):\n"
    "  send --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--report]\n"
    "       [--timeout S]\n"
    "      Send the text to each recipient in turn, on one open port. RECIPIENTS\n"
    "      are separated by semicolons: numbers as typed, or names from the\n"
    "      program's stored contacts (matched ignoring the case of A-Z) or\n"
    "      groups, which stand for their members; each number is sent to once.\n"
    "      --report asks for a delivery report of every part and keeps the\n"
    "      references the phone gives them for \"reports\" and the window.\n"
    "  store --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--timeout S]\n"
    "      Store the message in the phone's memory instead, one per recipient.\n"
    "  test-port --port NAME [--timeout S]\n"
    "      Ask the phone on the port for its maker.\n"
    "  phonebook --port NAME [--save] [--timeout S]\n"
    "      Download the phone's phone book and print one \"NAME<TAB>NUMBER\" line\n"
    "      per entry; --save also stores it as the program's contact list.\n"
    "  inbox --port NAME [--delete] [--json] [--timeout S]\n"
    "      Read the messages the phone received (every memory it uses), store\n"
    "      them in the program's inbox file and print one \"SENDER<TAB>TIME<TAB>\n"
    "      TEXT\" line per message (parts joined); --json prints a JSON object a\n"
    "      line instead, and no status texts. --delete deletes from the phone\n"
    "      what has been stored.\n"
    "  reports --port NAME [--timeout S]\n"
    "      Read the delivery reports the phone holds, apply them to the messages\n"
    "      sent with a report requested and print one \"NUMBER<TAB>REFERENCE<TAB>\n"
    "      STATE<TAB>SENT\" line per report (SENT: when the message it matched\n"
    "      was sent, or \"not matched\").\n"
    "  listen --port NAME [--json]\n"
    "      Keep the port open and store each message the phone receives as it\n"
    "      arrives, as the program's \"Receive messages\" does, printing it as\n"
    "      inbox does (--json: a JSON object a line and nothing else), until\n"
    "      Ctrl+C (exit code 0). A port lost is opened again every 10 s; one\n"
    "      that cannot be opened at the start ends it (4), as does a message\n"
    "      that cannot be stored (6).\n"
    "  These print the program's status texts, one per line, on standard output\n"
    "  (\"Connecting...\", \"Handshaking...\", \"Message sent to 0123456789\", ...)\n"
    "  and what went wrong on standard error (the phone's error code and its\n"
    "  meaning, the system's text of a port error). --timeout: after the\n"
    "  handshake, when an answer the phone owes has not come within S seconds\n"
    "  (default 60) the request is cancelled; a repeated OK, an echo, a blank\n"
    "  line or an unsolicited code does not count as an answer.\n"
    "  at --port NAME [--timeout SECONDS] COMMAND...\n"
    "      Open the port (9600 8N1), send each COMMAND with CR LF and print every\n"
    "      burst of the reply (\"> \" sent, \"< \" received, control characters\n"
    "      escaped) until OK, an error or the \"> \" prompt; after the prompt the\n"
    "      next COMMAND is a PDU and goes with Ctrl-Z. --timeout is the wait for\n"
    "      each reply in seconds (default 5).\n"
    "\n"
    "Other commands:\n"
    "  pdu [--ref N] (--to NUMBER | NUMBER) (--text TEXT | --file PATH | TEXT)\n"
    "      Print, for every part of the message, the \"AT+CMGS=<len>\" line and the\n"
    "      PDU line exactly as they are written to the phone. --ref sets the\n"
    "      message reference (1-255; the program starts at 241).\n"
    "\n"
    "The stored contacts, history and inbox (Windows build only, as the settings):\n"
    "  contacts list [--json]\n"
    "      Print the stored contacts, sorted by name: \"NAME<TAB>NUMBER<TAB>GROUPS\n"
    "      <TAB>ORIGIN\" (groups separated by ';', origin \"phone\" or \"own\"), or\n"
    "      a JSON object a line.\n"
    "  contacts import FILE [--dry-run]\n"
    "      Import a CSV or vCard file: print what it does (\"142 contacts: 130 new,\n"
    "      9 updated, 3 refused\" and a line per refused row), then store it;\n"
    "      --dry-run stores nothing.\n"
    "  contacts export FILE [--group G] [--format csv|vcf]\n"
    "      Write all contacts, or one group's, as CSV (UTF-8 with BOM) or vCard\n"
    "      3.0 (the default by FILE's extension: .vcf, else CSV).\n"
    "  history export FILE\n"
    "  inbox export FILE\n"
    "      Write the History's records or the inbox file's messages as CSV (UTF-8\n"
    "      with BOM, in the user's list separator): time with its zone, number,\n"
    "      name, state or \"received\", text. A field a spreadsheet would run as a\n"
    "      formula (=, +, -, @, tab, CR first) is written after a quote.\n"
    "  settings move-from-machine [--dry-run]\n"
    "      Move the lists, history, contacts and reports an earlier version kept\n"
    "      in the machine-wide key (HKEY_LOCAL_MACHINE), which every user could\n"
    "      read and which are no longer read, into your own key; a value you\n"
    "      have yourself is left. Removing them there needs an administrator.\n"
    "\n"
    "Options of every command:\n"
    "  --trace       write the diagnostic trace to standard error\n"
    "  --help        show this help\n"
    "\n"
    "TEXT is UTF-8; --file reads UTF-8 text from a file (- for standard input)\n"
    "and sends it as it is, line breaks included.\n"
    "\n"
    "Exit codes: 0 success, 1 the phone refused or failed, 2 bad command line,\n"
    "3 a recipient, text or file that cannot be used or a number option out of\n"
    "its range, 4 port error or no phone answering, 5 timed out (cancelled), 6\n"
    "the phone book, the contacts, the messages read or the references of\n"
    "reports could not be stored. A port the program holds while it receives\n"
    "messages is named so (4).\n";

void TraceToStderr(const char* pszLine)
{
    std::fputs(TerminalSafeTrace(pszLine).c_str(), stderr);
}

int Run(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0] == "--help" || argv[0] == "-h" || argv[0] == "help") {
        std::fputs(kHelp, argv.empty() ? stderr : stdout);
        return argv.empty() ? kExitUsage : kExitOk;
    }
    CArgs args(std::vector<std::string>(argv.begin() + 1, argv.end()));
    if (args.Flag("help")) {
        std::fputs(kHelp, stdout);
        return kExitOk;
    }
    if (args.Flag("trace"))
        SetTraceOutput(TraceToStderr);
    if (argv[0] == "pdu")
        return RunPdu(args);
    if (argv[0] == "at")
        return RunAt(args);
    if (argv[0] == "send")
        return RunSend(args);
    if (argv[0] == "store")
        return RunStore(args);
    if (argv[0] == "test-port")
        return RunTestPort(args);
    if (argv[0] == "phonebook")
        return RunPhonebook(args);
    if (argv[0] == "inbox" && argv.size() > 1 && argv[1] == "export")
        return RunInboxExport(args);
    if (argv[0] == "inbox")
        return RunInbox(args);
    if (argv[0] == "contacts")
        return RunContacts(args);
    if (argv[0] == "history")
        return RunHistory(args);
    if (argv[0] == "reports")
        return RunReports(args);
    if (argv[0] == "listen")
        return RunListen(args);
    if (argv[0] == "settings")
        return RunSettings(args);
    PrintError("unknown command '" + argv[0] + "'; see zandusms-cli --help");
    return kExitUsage;
}

} // namespace

#if defined(_WIN32)
int wmain(int argc, wchar_t** argv)
{
    SetConsoleOutputCP(CP_UTF8);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(WideToUtf8(argv[i]));
    return Run(args);
}
#else
int main(int argc, char** argv)
{
    return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
