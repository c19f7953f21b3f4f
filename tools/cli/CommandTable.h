// The console tool's commands as a table: each command's own file adds its
// rows (the name, the paragraph of help, the function that runs it), so a new
// command is written in one file and the entry point stays as it is.
//
//   const CCliCommand kRows[] = {
//       {ECliSection::SEC_PHONE, 30, "test-port", nullptr, "  test-port --port NAME\n...", RunTestPort},
//   };
//   ZANDU_CLI_COMMANDS(kRows);
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/Args.h"

// The parts of the help, in the order shown.
enum class ECliSection {
    SEC_PHONE,   // commands that talk to the phone
    SEC_OTHER,   // commands that need neither phone nor settings
    SEC_STORES,  // the stored contacts, history and inbox
};

struct CCliCommand {
    ECliSection eSection;
    unsigned nOrder;            // the place of the paragraph in its section
    const char* pszName;        // null: a paragraph of help that runs nothing
    const char* pszSubcommand;  // a second word that makes it another command ("export"), or null
    const char* pszHelp;        // whole lines, each ending in '\n'
    int (*pfnRun)(CArgs& args);
};

class CCliCommands {
public:
    // Adds rows that live as long as the program (a file's static table).
    CCliCommands(const CCliCommand* pRows, size_t nRows);

    // The command the words name ("inbox export" before "inbox"); null for none.
    static const CCliCommand* Find(const std::vector<std::string>& words);
    // Every section's title and paragraphs, in their order.
    static std::string Help();

private:
    static std::vector<const CCliCommand*>& Rows();
};

#define ZANDU_CLI_JOIN2(a, b) a##b
#define ZANDU_CLI_JOIN(a, b) ZANDU_CLI_JOIN2(a, b)
#define ZANDU_CLI_COMMANDS(rows) \
    static const CCliCommands ZANDU_CLI_JOIN(g_cliRows, __COUNTER__)((rows), sizeof(rows) / sizeof((rows)[0]))
