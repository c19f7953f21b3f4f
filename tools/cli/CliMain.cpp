// zandusms-cli: entry, help and subcommand dispatch.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "cli/Cli.h"
#include "shell/Trace.h"

namespace {

const char kHelp[] =
    "Usage: zandusms-cli COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "Commands:\n"
    "  pdu [--ref N] NUMBER (TEXT | --file PATH)\n"
    "      Print, for every part of the message, the \"AT+CMGS=<len>\" line and the\n"
    "      PDU line exactly as they are written to the phone. --ref sets the\n"
    "      message reference (1-255; the program starts at 241).\n"
    "  at --port NAME [--timeout SECONDS] COMMAND...\n"
    "      Open the port (9600 8N1), send each COMMAND with CR LF and print every\n"
    "      burst of the reply (\"> \" sent, \"< \" received, control characters\n"
    "      escaped) until OK, an error or the \"> \" prompt; after the prompt the\n"
    "      next COMMAND is a PDU and goes with Ctrl-Z. --timeout is the wait for\n"
    "      each reply in seconds (default 5). Windows build only.\n"
    "\n"
    "Options of every command:\n"
    "  --trace       write the diagnostic trace to standard error\n"
    "  --help        show this help\n"
    "\n"
    "TEXT is UTF-8; --file reads UTF-8 text from a file (- for standard input)\n"
    "and sends it as it is, line breaks included.\n"
    "\n"
    "Exit codes: 0 success, 1 the phone refused or failed, 2 bad command line,\n"
    "3 a recipient or text that cannot be sent, 4 port error, 5 timed out.\n";

void TraceToStderr(const char* pszLine)
{
    std::fputs(pszLine, stderr);
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
