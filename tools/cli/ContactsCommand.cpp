// zandusms-cli contacts, history export and inbox export: the program's
// contact list, history and inbox file as the window keeps them, without a
// phone.
#include "cli/Cli.h"
#include "cli/CommandTable.h"

#include <string>
#include <vector>

#if defined(_WIN32)
#include <algorithm>

#include <nlohmann/json.hpp>

#include "base/AppDataFolder.h"
#include "base/AtomicFile.h"
#include "base/Settings.h"
#include "base/SettingsListKey.h"
#include "base/Util.h"
#include "app/ContactImport.h"
#include "app/ContactStore.h"
#include "app/HistoryStore.h"
#include "app/InboxList.h"
#include "app/RecordExport.h"
#include "app/ReportStore.h"
#endif

namespace {

const char kContactsUsage[] =
    "usage: zandusms-cli contacts list [--json] | contacts import FILE [--dry-run] | "
    "contacts export FILE [--group G] [--format csv|vcf]";
const char kHistoryUsage[] = "usage: zandusms-cli history export FILE";
const char kInboxExportUsage[] = "usage: zandusms-cli inbox export FILE";

struct CContactsArgs {
    bool bJson = false;
    bool bDryRun = false;
    bool bGroup = false;
    bool bFormat = false;
    std::string strGroup, strFormat;
    std::vector<std::string> positionals;
};

// The verb and its file: kExitOk, or (after the message) kExitUsage.
int ParseContactsArgs(CArgs& args, CContactsArgs& parsed)
{
    parsed.bJson = args.Flag("json");
    parsed.bDryRun = args.Flag("dry-run");
    parsed.bGroup = args.Option("group", parsed.strGroup);
    parsed.bFormat = args.Option("format", parsed.strFormat);
    std::string strError;
    if (!args.Positionals(parsed.positionals, strError)) {
        PrintError(strError);
        return kExitUsage;
    }
    const std::vector<std::string>& p = parsed.positionals;
    const bool bList = p.size() == 1 && p[0] == "list" && !parsed.bDryRun && !parsed.bGroup && !parsed.bFormat;
    const bool bImport = p.size() == 2 && p[0] == "import" && !parsed.bJson && !parsed.bGroup && !parsed.bFormat;
    const bool bExport = p.size() == 2 && p[0] == "export" && !parsed.bJson && !parsed.bDryRun &&
                         (!parsed.bFormat || parsed.strFormat == "csv" || parsed.strFormat == "vcf");
    if (bList || bImport || bExport)
        return kExitOk;
    PrintError(kContactsUsage);
    return kExitUsage;
}

// "export FILE" and nothing else.
int ParseExportArgs(CArgs& args, const char* pszUsage, std::string& strFile)
{
    std::vector<std::string> positionals;
    std::string strError;
    if (!args.Positionals(positionals, strError)) {
        PrintError(strError);
        return kExitUsage;
    }
    if (positionals.size() != 2 || positionals[0] != "export") {
        PrintError(pszUsage);
        return kExitUsage;
    }
    strFile = positionals[1];
    return kExitOk;
}

#if defined(_WIN32)

// The settings opened for reading and writing (bWrite) or, for a command that
// changes nothing, only for reading; false after the message.
bool OpenSettings(bool bWrite)
{
    const LONG lResult = bWrite ? GetSettingsKey().Open() : GetSettingsKey().OpenForReading();
    if (lResult == ERROR_SUCCESS)
        return true;
    PrintError("cannot open the settings (error " + std::to_string(lResult) + ")");
    return false;
}

int WriteOut(const std::string& strFile, const std::string& strData, size_t nCount, const char* pszWhat)
{
    std::string strError;
    if (!WriteFileAtomically(Utf8ToWide(strFile), strData, strError)) {
        PrintError("cannot write " + strFile + ": " + strError);
        return kExitInput;
    }
    PrintLine(std::to_string(nCount) + " " + pszWhat + " exported to " + strFile);
    return kExitOk;
}

std::string ContactJson(const CContact& contact)
{
    nlohmann::ordered_json json;
    json["name"] = WideToUtf8(contact.m_strName);
    json["number"] = WideToUtf8(contact.m_strNumber);
    json["groups"] = nlohmann::ordered_json::array();
    for (const WString& strGroup : contact.m_aGroups)
        json["groups"].push_back(WideToUtf8(strGroup));
    json["origin"] = contact.m_bOwn ? "own" : "phone";
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

int ListContacts(const std::vector<CContact>& stored, bool bJson)
{
    std::vector<CContact> contacts = stored;
    std::stable_sort(contacts.begin(), contacts.end(),
                     [](const CContact& a, const CContact& b) { return IsListedBefore(a.m_strName, b.m_strName); });
    for (const CContact& contact : contacts) {
        std::string strGroups;
        for (const WString& strGroup : contact.m_aGroups)
            strGroups += (strGroups.empty() ? "" : ";") + WideToUtf8(strGroup);
        PrintLine(bJson ? ContactJson(contact)
                        : WideToUtf8(contact.m_strName) + "\t" + WideToUtf8(contact.m_strNumber) + "\t" + strGroups +
                              "\t" + (contact.m_bOwn ? "own" : "phone"));
    }
    return kExitOk;
}

// What the import would do, line by line; stored unless --dry-run.
int ImportContacts(CContactStore& store, const std::string& strFile, bool bDryRun)
{
    std::string strError;
    CContactFile file;
    if (!ReadContactPath(Utf8ToWide(strFile), file, strError)) {
        PrintError("cannot import " + strFile + ": " + strError);
        return kExitInput;
    }
    const CImportPlan plan = PlanImport(store.Load(), file);
    PrintLine(DescribeImport(plan));
    for (const std::string& strRefusal : plan.aRefusals)
        PrintLine(strRefusal);
    for (const std::string& strNote : plan.aNotes)
        PrintLine(strNote);
    if (bDryRun || plan.nNew + plan.nUpdated == 0)
        return kExitOk;
    const uint32_t dwError = store.Save(plan.contacts);
    if (dwError == ERROR_SUCCESS)
        return kExitOk;
    PrintError(WideToUtf8(DescribeStoreFailure(WSTR("store the contacts"), dwError, GetSystemErrorText(dwError))));
    return kExitSettings;
}

int ExportContacts(const std::vector<CContact>& contacts, const CContactsArgs& parsed)
{
    const std::string& strFile = parsed.positionals[1];
    const WString strGroup = Utf8ToWide(parsed.strGroup);
    const std::vector<WString> aGroups = ListGroups(contacts);
    if (parsed.bGroup && std::none_of(aGroups.begin(), aGroups.end(),
                                      [&](const WString& str) { return IsSameName(str, strGroup); })) {
        PrintError("no group '" + parsed.strGroup + "' in the contacts");
        return kExitInput;
    }
    const bool bVcard = parsed.bFormat ? parsed.strFormat == "vcf"
                                       : strFile.size() > 4 && (strFile.compare(strFile.size() - 4, 4, ".vcf") == 0 ||
                                                                strFile.compare(strFile.size() - 4, 4, ".VCF") == 0);
    const size_t nCount = static_cast<size_t>(std::count_if(contacts.begin(), contacts.end(), [&](const CContact& c) {
        return strGroup.empty() || c.IsInGroup(strGroup);
    }));
    return WriteOut(strFile, FormatContactsFile(contacts, strGroup, bVcard, GetListSeparator()), nCount, "contacts");
}

#endif

} // namespace

#if defined(_WIN32)

static int RunContacts(CArgs& args)
{
    CContactsArgs parsed;
    if (const int nExit = ParseContactsArgs(args, parsed))
        return nExit;
    if (!OpenSettings(parsed.positionals[0] == "import" && !parsed.bDryRun))
        return kExitSettings;
    CSettingsListKey key(GetSettingsKey());
    CContactStore store(key);
    if (parsed.positionals[0] == "list")
        return ListContacts(store.Load(), parsed.bJson);
    if (parsed.positionals[0] == "import")
        return ImportContacts(store, parsed.positionals[1], parsed.bDryRun);
    return ExportContacts(store.Load(), parsed);
}

static int RunHistory(CArgs& args)
{
    std::string strFile;
    if (const int nExit = ParseExportArgs(args, kHistoryUsage, strFile))
        return nExit;
    if (!OpenSettings(false))
        return kExitSettings;
    CSettingsListKey key(GetSettingsKey());
    CAppDataFolder folder;
    const std::vector<CHistoryRecord> records = CHistoryStore(key, folder).Read();
    const std::string strData =
        FormatHistoryCsv(records, CReportStore(key).Read(), GetLocalZoneText(std::time(nullptr)), GetListSeparator());
    return WriteOut(strFile, strData, records.size(), "messages");
}

static int RunInboxExport(CArgs& args)
{
    std::string strFile;
    if (const int nExit = ParseExportArgs(args, kInboxExportUsage, strFile))
        return nExit;
    WString strFolder;
    const DWORD dwError = GetAppDataFolder(strFolder);
    if (dwError != ERROR_SUCCESS || !OpenSettings(false)) {
        PrintError("no folder for the inbox file (error " + std::to_string(dwError) + ")");
        return kExitSettings;
    }
    CInboxList list;
    list.Load(strFolder + WSTR("inbox.json"), true);
    if (!list.GetLoadError().empty()) {
        PrintError(list.GetLoadError());
        return kExitSettings;
    }
    std::vector<CReceivedMsg> messages;
    for (size_t i = list.GetCount(); i-- > 0;)
        messages.push_back(list.GetMessage(i));  // oldest first
    CSettingsListKey key(GetSettingsKey());
    return WriteOut(strFile, FormatInboxCsv(messages, CContactStore(key).Load(), GetListSeparator()), messages.size(), "messages");
}

#else  // the host build has no settings

static int RunContacts(CArgs& args)
{
    CContactsArgs parsed;
    const int nExit = ParseContactsArgs(args, parsed);
    return nExit ? nExit : NeedsWindows("contacts");
}

static int RunHistory(CArgs& args)
{
    std::string strFile;
    const int nExit = ParseExportArgs(args, kHistoryUsage, strFile);
    return nExit ? nExit : NeedsWindows("history export");
}

static int RunInboxExport(CArgs& args)
{
    std::string strFile;
    const int nExit = ParseExportArgs(args, kInboxExportUsage, strFile);
    return nExit ? nExit : NeedsWindows("inbox export");
}

#endif

const CCliCommand kContactsCommands[] = {
    {ECliSection::SEC_STORES, 10, "contacts", nullptr,
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
      "      3.0 (the default by FILE's extension: .vcf, else CSV).\n",
     RunContacts},
    {ECliSection::SEC_STORES, 20, "history", nullptr,
      "  history export FILE\n"
      "  inbox export FILE\n"
      "      Write the History's records or the inbox file's messages as CSV (UTF-8\n"
      "      with BOM, in the user's list separator): time with its zone, number,\n"
      "      name, state or \"received\", text. A field a spreadsheet would run as a\n"
      "      formula (=, +, -, @, tab, CR first) is written after a quote.\n",
     RunHistory},
    {ECliSection::SEC_STORES, 21, "inbox", "export",
     "",
     RunInboxExport},
};
ZANDU_CLI_COMMANDS(kContactsCommands);
