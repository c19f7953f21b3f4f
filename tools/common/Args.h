// The command line of the tools: the console tool and the phone simulator
// share it, so that both take options the same way.
#pragma once

#include <string>
#include <vector>

// Options are --name value or --name=value; everything else is positional.
// A name is given without its dashes ("port") or spelled out ("--port", "-h").
class CArgs {
public:
    // Everything after a "--" is positional.
    explicit CArgs(const std::vector<std::string>& args);

    bool Flag(const char* pszName);                          // consumes --name
    bool Option(const char* pszName, std::string& strValue); // consumes --name value
    // The first argument left before "--", as given, for a caller that takes
    // the options in the command line's order; false when none is left.
    bool Next(std::string& strArg) const;
    // The remaining arguments, which must not look like options.
    bool Positionals(std::vector<std::string>& positionals, std::string& strError);

private:
    std::vector<std::string> m_args;  // options and positionals before "--"
    std::vector<std::string> m_rest;  // positionals after "--"
    std::string m_strBadOption;
};
