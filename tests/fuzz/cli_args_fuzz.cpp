// The console tool's command line and --file reading on arbitrary input.
// Every argument is taken exactly once, as an option's value or as a
// positional one, and nothing that looks like an option before "--" passes
// as positional; a file is read whole as UTF-8 (a BOM dropped) or refused;
// a number option is a decimal number within its range or refused.
//
// Input: the arguments, separated by NUL bytes; the same bytes are also the
// content of the file read.
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "FuzzInput.h"
#include "cli/Cli.h"

namespace {

const char* const kOptions[] = {"to", "text", "file", "ref", "port", "timeout"};
const char* const kFlags[] = {"trace", "save", "help"};

// Removes one copy of str from the arguments; false when there is none.
bool Take(std::multiset<std::string>& args, const std::string& str)
{
    const auto it = args.find(str);
    if (it == args.end())
        return false;
    args.erase(it);
    return true;
}

void FuzzArgs(const std::vector<std::string>& args)
{
    CArgs parsed(args);
    std::multiset<std::string> left(args.begin(), args.end());
    Take(left, "--");
    for (const char* pszFlag : kFlags) {
        if (parsed.Flag(pszFlag))
            Check(Take(left, std::string("--") + pszFlag));
    }
    for (const char* pszOption : kOptions) {
        const std::string strName = std::string("--") + pszOption;
        std::string strValue;
        if (parsed.Option(pszOption, strValue))
            Check(Take(left, strName + "=" + strValue) || (Take(left, strName) && Take(left, strValue)));
    }
    std::vector<std::string> positionals;
    std::string strError;
    if (!parsed.Positionals(positionals, strError)) {
        Check(!strError.empty());
        return;
    }
    // What is left is taken once, as positional arguments; before "--" none
    // looks like an option, after it all come as they are.
    Check(left == std::multiset<std::string>(positionals.begin(), positionals.end()));
    size_t nDash = 0;
    while (nDash < args.size() && args[nDash] != "--")
        ++nDash;
    const size_t nAfter = nDash < args.size() ? args.size() - nDash - 1 : 0;
    Check(positionals.size() >= nAfter);
    for (size_t i = 0; i + nAfter < positionals.size(); ++i)
        Check(positionals[i].size() <= 1 || positionals[i][0] != '-');
    for (size_t i = 0; i < nAfter; ++i)
        Check(positionals[positionals.size() - nAfter + i] == args[nDash + 1 + i]);
}

void FuzzFile(const std::string& strBytes)
{
    static const std::string strPath = "/tmp/zandu_cli_fuzz_" + std::to_string(getpid());
    FILE* pFile = std::fopen(strPath.c_str(), "wb");
    Check(pFile != nullptr);
    std::fwrite(strBytes.data(), 1, strBytes.size(), pFile);
    std::fclose(pFile);
    WString strText;
    std::string strError;
    const bool bRead = ReadText(strPath, strText, strError);
    std::remove(strPath.c_str());
    const std::string strBody = strBytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? strBytes.substr(3) : strBytes;
    Check(bRead == IsValidUtf8(strBody));
    Check(bRead ? strError.empty() && WideToUtf8(strText) == strBody : !strError.empty());
}

void FuzzNumber(const std::string& strValue)
{
    uint32_t nValue = 7;
    const int nExit = ParseNumberOption("timeout", strValue, 1, 86400, nValue);
    bool bDigits = !strValue.empty();
    for (char ch : strValue)
        bDigits = bDigits && ch >= '0' && ch <= '9';
    if (nExit == kExitOk) {
        const size_t nFirst = strValue.find_first_not_of('0');
        Check(bDigits && nFirst != std::string::npos && nValue >= 1 && nValue <= 86400 &&
              std::to_string(nValue) == strValue.substr(nFirst));
    } else {
        Check(nValue == 7 && (nExit == kExitUsage || nExit == kExitInput));
        Check(nExit == kExitInput || !bDigits);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string strBytes(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> args = SplitBytes(strBytes, '\0');
    if (args.size() > 64)
        args.resize(64);
    FuzzArgs(args);
    FuzzFile(strBytes);
    FuzzNumber(args[0]);
    return 0;
}
