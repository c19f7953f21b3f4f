// zandusms-cli: entry, help and subcommand dispatch.
#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "cli/Cli.h"
#include "cli/CommandTable.h"
#include "base/Trace.h"

namespace {

const char kCliUsage[] = "Usage: zandusms-cli COMMAND [OPTIONS] ARGUMENTS\n\n";

const char kCommonHelp[] =
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
    "reports could not be stored, 7 a message went to the phone, which did not\n"
    "say whether it was sent, 8 some recipients got the message and others not.\n";

void PrintHelp(FILE* pOut)
{
    std::fputs(kCliUsage, pOut);
    std::fputs(CCliCommands::Help().c_str(), pOut);
    std::fputs(kCommonHelp, pOut);
}

void TraceToStderr(const char* pszLine)
{
    std::fputs(TerminalSafeTrace(pszLine).c_str(), stderr);
}

int Run(const std::vector<std::string>& argv)
{
    if (argv.empty() || argv[0] == "--help" || argv[0] == "-h" || argv[0] == "help") {
        PrintHelp(argv.empty() ? stderr : stdout);
        return argv.empty() ? kExitUsage : kExitOk;
    }
    CArgs args(std::vector<std::string>(argv.begin() + 1, argv.end()));
    if (args.Flag("help")) {
        PrintHelp(stdout);
        return kExitOk;
    }
    if (args.Flag("trace"))
        SetTraceOutput(TraceToStderr);
    if (const CCliCommand* pCommand = CCliCommands::Find(argv))
        return pCommand->pfnRun(args);
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
