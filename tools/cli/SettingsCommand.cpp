// zandusms-cli settings move-from-machine: the values an earlier version kept
// in the machine-wide key, which every user of the machine could read, moved
// into the running user's key (SettingsMove).
#include "cli/Cli.h"
#include "cli/CommandTable.h"

#include <string>
#include <vector>

#if defined(_WIN32)
#include "base/ListStore.h"
#include "base/Settings.h"
#include "base/SettingsListKey.h"
#include "base/SettingsMove.h"
#include "base/Util.h"
#endif

namespace {

const char kSettingsUsage[] = "usage: zandusms-cli settings move-from-machine [--dry-run]";

// The one verb: kExitOk, or (after the message) kExitUsage.
int ParseSettingsArgs(CArgs& args, bool& bDryRun)
{
    bDryRun = args.Flag("dry-run");
    std::vector<std::string> positionals;
    std::string strError;
    if (args.Positionals(positionals, strError) && positionals == std::vector<std::string>{"move-from-machine"})
        return kExitOk;
    PrintError(strError.empty() ? kSettingsUsage : strError);
    return kExitUsage;
}

} // namespace

#if defined(_WIN32)

namespace {

// For removing what was moved when the process may (an administrator's);
// else for reading, and what is copied stays for an administrator to remove.
HKEY OpenMachineKey(const CSettingsLocation& location)
{
    HKEY hKey = nullptr;
    for (REGSAM sam : {KEY_READ | KEY_WRITE, KEY_READ}) {
        if (RegOpenKeyExW(location.hMachineRoot, location.strSubKey.c_str(), 0, sam, &hKey) == ERROR_SUCCESS)
            return hKey;
    }
    return nullptr;
}

int Move(bool bDryRun)
{
    const CSettingsLocation location;
    CSettingsKey& key = GetSettingsKey();
    const LONG lResult = bDryRun ? key.OpenForReading(location) : key.Open(location);
    key.SetMachineHandle(OpenMachineKey(location));
    if (lResult != ERROR_SUCCESS && !key.GetMachineHandle()) {
        PrintError("cannot open the settings (error " + std::to_string(lResult) + ")");
        return kExitSettings;
    }
    std::vector<CEnumValue> values;
    if (key.GetMachineHandle())
        EnumRegValues(key.GetMachineHandle(), [&](const CEnumValue& value) { values.push_back(value); });
    CSettingsListKey machine(key, true), user(key);
    std::vector<CValueMove> moves;
    const uint32_t dwLock = MoveMachineValues(values, machine, user, bDryRun, moves);
    if (dwLock != kErrorSuccess) {
        PrintError(WideToUtf8(DescribeStoreFailure(WSTR("move the settings"), dwLock, GetSystemErrorText(dwLock))));
        return kExitSettings;
    }
    if (moves.empty())
        PrintLine("Nothing to move: the machine-wide settings hold no user's values");
    int nExit = kExitOk;
    for (const CValueMove& move : moves) {
        PrintLine(DescribeValueMove(move, bDryRun));
        if (move.eMove == EValueMove::FAILED || move.eMove == EValueMove::NOT_REMOVED)
            nExit = kExitSettings;
    }
    return nExit;
}

} // namespace

static int RunSettings(CArgs& args)
{
    bool bDryRun = false;
    if (const int nExit = ParseSettingsArgs(args, bDryRun))
        return nExit;
    return Move(bDryRun);
}

#else  // the host build has no settings

static int RunSettings(CArgs& args)
{
    bool bDryRun = false;
    const int nExit = ParseSettingsArgs(args, bDryRun);
    return nExit ? nExit : NeedsWindows("settings");
}

#endif

const CCliCommand kSettingsCommands[] = {
    {ECliSection::SEC_STORES, 30, "settings", nullptr,
      "  settings move-from-machine [--dry-run]\n"
      "      Move the lists, history, contacts and reports an earlier version kept\n"
      "      in the machine-wide key (HKEY_LOCAL_MACHINE), which every user could\n"
      "      read and which are no longer read, into your own key; a value you\n"
      "      have yourself is left. Removing them there needs an administrator.\n",
     RunSettings},
};
ZANDU_CLI_COMMANDS(kSettingsCommands);
