// zandusms-cli send, store, test-port and phonebook: the window's requests to
// the phone, carried out by the same serial worker and modem driver, with the
// window's status texts on standard output, one per line.
#include "cli/Cli.h"
#include "cli/CommandTable.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli/ConsoleRequest.h"
#include "app/SendInput.h"
#include "app/SendList.h"
#include "app/Contact.h"

#if defined(_WIN32)
#include <algorithm>
#include <functional>
#include <memory>

#include <nlohmann/json.hpp>

#include "sms/InboxFile.h"
#include "app/ContactStore.h"
#include "app/ReportStore.h"
#include "app/Receiver.h"
#include "base/AppSettings.h"
#include "serial/PortHold.h"
#include "serial/SerialSession.h"
#include "base/Settings.h"
#include "base/SettingsListKey.h"
#include "base/Util.h"
#endif

namespace {

// The wait for each answer of the phone after the handshake, after which a
// request is cancelled: the longest a network may take to answer AT+CMGS.
const uint32_t kDefaultTimeout = 60;
const uint32_t kMaxTimeout = 86400;

#define PHONE_OPTIONS " [--timeout SECONDS] [--pin-file FILE]"
const char kSendUsage[] = "usage: zandusms-cli send --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--report]"
                          PHONE_OPTIONS;
const char kStoreUsage[] = "usage: zandusms-cli store --port NAME --to RECIPIENTS (--text TEXT | --file PATH)" PHONE_OPTIONS;
const char kTestPortUsage[] = "usage: zandusms-cli test-port --port NAME [--json]" PHONE_OPTIONS;
const char kPhonebookUsage[] = "usage: zandusms-cli phonebook --port NAME [--save]" PHONE_OPTIONS;
const char kInboxUsage[] = "usage: zandusms-cli inbox --port NAME [--delete] [--json]" PHONE_OPTIONS;
const char kReportsUsage[] = "usage: zandusms-cli reports --port NAME" PHONE_OPTIONS;
const char kListenUsage[] = "usage: zandusms-cli listen --port NAME [--json]" PHONE_OPTIONS;
// The SIM's PIN, when --pin-file does not give it; never on the command line,
// where other users of the machine could read it.
const char kPinVariable[] = "ZANDU_SIM_PIN";

struct CPhoneArgs {
    WString strPort;
    uint32_t dwTimeoutMs = kDefaultTimeout * 1000;
    bool bTimeout = false;  // given: also the wait for the answer to a PDU
    std::string strPin;
};

// The PIN from the file's first line or the environment: 4 to 8 digits.
int ReadPin(const bool bFile, const std::string& strFile, std::string& strPin)
{
    if (bFile) {
        std::ifstream file(strFile, std::ios::binary);
        if (!file) {
            PrintError("cannot read the PIN file " + strFile);
            return kExitInput;
        }
        strPin.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        strPin = TrimWhite(strPin.substr(0, strPin.find_first_of("\r\n")));
    } else if (const char* psz = std::getenv(kPinVariable)) {
        strPin = TrimWhite(psz);
    }
    if (strPin.empty() || (strPin.size() >= 4 && strPin.size() <= 8 &&
                           strPin.find_first_not_of("0123456789") == std::string::npos))
        return kExitOk;
    strPin.assign(strPin.size(), '\0');
    strPin.clear();
    PrintError(std::string("the PIN ") + (bFile ? "in " + strFile : std::string("in ") + kPinVariable) +
               " must be 4 to 8 digits");
    return kExitInput;
}

// --port and --timeout, then nothing else may be left. kExitOk, or (after
// the message) the exit code of the error.
int ParsePhoneArgs(CArgs& args, const char* pszUsage, CPhoneArgs& phone)
{
    std::string strPort, strTimeout, strPinFile;
    const bool bPort = args.Option("port", strPort);
    const bool bTimeout = args.Option("timeout", strTimeout);
    const bool bPinFile = args.Option("pin-file", strPinFile);
    std::vector<std::string> positionals;
    std::string strError;
    if (!args.Positionals(positionals, strError)) {
        PrintError(strError);
        return kExitUsage;
    }
    if (!bPort || strPort.empty() || !positionals.empty()) {
        PrintError(pszUsage);
        return kExitUsage;
    }
    uint32_t nTimeout = kDefaultTimeout;
    const int nExit = bTimeout ? ParseNumberOption("timeout", strTimeout, 1, kMaxTimeout, nTimeout) : kExitOk;
    if (nExit != kExitOk)
        return nExit;
    phone.strPort = Utf8ToWide(strPort);
    phone.dwTimeoutMs = nTimeout * 1000;
    phone.bTimeout = bTimeout;
    return ReadPin(bPinFile, strPinFile, phone.strPin);
}

struct CMessageArgs {
    CPhoneArgs phone;
    WString strTo;
    bool bText = false;  // else --file
    bool bReport = false;
    std::string strText;
    std::string strFile;
};

int ParseMessageArgs(CArgs& args, const char* pszUsage, CMessageArgs& message)
{
    std::string strTo;
    const bool bTo = args.Option("to", strTo);
    message.bText = args.Option("text", message.strText);
    const bool bFile = args.Option("file", message.strFile);
    message.bReport = args.Flag("report");
    if (!bTo || message.bText == bFile) {
        PrintError(pszUsage);
        return kExitUsage;
    }
    message.strTo = Utf8ToWide(strTo);
    return ParsePhoneArgs(args, pszUsage, message.phone);
}

#if defined(_WIN32)

// A message on one line: "SENDER<TAB>TIME<TAB>TEXT", a tab or line break of
// the text as a blank.
std::string MessageLine(const CReceivedMsg& msg)
{
    std::string strText = WideToUtf8(msg.GetText());
    for (char& ch : strText) {
        if (ch == '\t' || ch == '\r' || ch == '\n')
            ch = ' ';
    }
    return WideToUtf8(msg.strSender) + "\t" + msg.time.Format() + "\t" + strText;
}

// "NUMBER<TAB>REFERENCE<TAB>STATE<TAB>SENT" for a report read from the phone.
std::string ReportLine(const CStatusReport& report, const WString& strKey)
{
    CDeliverySummary summary;
    switch (ClassifyStatus(report.btStatus)) {
    case EReportClass::REPORT_DELIVERED:
        summary.state = EMessageDelivery::DELIVERY_DELIVERED;
        summary.time = report.discharge;
        break;
    case EReportClass::REPORT_TRYING:
        summary.state = EMessageDelivery::DELIVERY_PENDING;
        break;
    default:
        summary.state = EMessageDelivery::DELIVERY_FAILED;
        summary.strReason = GetStatusReason(report.btStatus);
        break;
    }
    std::string strState = WideToUtf8(DescribeDelivery(summary));
    if (summary.state == EMessageDelivery::DELIVERY_PENDING)
        strState += ": " + GetStatusReason(report.btStatus);
    // The key holds the time the message was sent between its number and its hash.
    const std::string strUtf8Key = WideToUtf8(strKey);
    const size_t nFirst = strUtf8Key.find('|');
    const std::string strSent =
        strUtf8Key.empty() ? "not matched" : strUtf8Key.substr(nFirst + 1, strUtf8Key.rfind('|') - nFirst - 1);
    return WideToUtf8(report.strRecipient) + "\t" + std::to_string(report.nMr) + "\t" + strState + "\t" + strSent;
}

// The console's stand-in for the main window: the session's message-only
// window gets the worker's announcements and the request's timers.
class CConsoleSession : public CConsoleHost, public CSessionHandler {
public:
    // bQuiet: as SetQuiet.
    bool Start(bool bQuiet = false)
    {
        m_bQuiet = m_bQuiet || bQuiet;
        if (m_session.Start())
            return true;
        ::PrintError("cannot start the serial worker (error " + std::to_string(GetLastError()) + ")");
        return false;
    }

    CPortOperations* Queue() { return &m_session.Queue(); }

    // Runs the loop until the request has ended; its exit code.
    int Run(CConsoleRequest& request)
    {
        RunUntil(request, [&request] { return request.IsFinished(); });
        return request.GetExitCode();
    }
    void RunUntil(CConsoleRequest& request, const std::function<bool()>& fnDone)
    {
        m_pRequest = &request;
        m_session.Run(*this, fnDone, INFINITE);
        m_pRequest = nullptr;
    }
    HWND GetWindow() const { return m_session.GetWindow(); }
    bool IsHeldByReceiving(const WString& strPort) const override { return CPortHold::IsHeld(strPort); }

    void PrintLine(const std::string& strLine) override
    {
        if (!m_bQuiet)
            ::PrintLine(strLine);
    }
    // No status texts on standard output (it carries JSON lines).
    void SetQuiet() { m_bQuiet = true; }
    void PrintError(const std::string& strLine) override { ::PrintError(strLine); }
    void SetTimer(unsigned nId, uint32_t dwMilliseconds) override
    {
        ::SetTimer(m_session.GetWindow(), nId, dwMilliseconds, nullptr);
    }
    void KillTimer(unsigned nId) override { ::KillTimer(m_session.GetWindow(), nId); }

    void OnOperationComplete(std::unique_ptr<CSerialOp> pOp, std::unique_ptr<CSerialPortException> pError) override
    {
        if (m_pRequest)
            m_pRequest->OnOperationComplete(std::move(pOp), std::move(pError));
    }
    void OnTimer(UINT_PTR nId) override
    {
        if (m_pRequest)
            m_pRequest->OnTimer(static_cast<unsigned>(nId));
    }

private:
    CSerialSession m_session;
    CConsoleRequest* m_pRequest = nullptr;
    bool m_bQuiet = false;
};

// Ctrl+C (or the console closing) ends listening: the loop is woken to see it.
volatile LONG g_nStopListening = 0;
HWND g_hListenWindow = nullptr;

BOOL WINAPI OnConsoleStop(DWORD)
{
    InterlockedExchange(&g_nStopListening, 1);
    PostMessageW(g_hListenWindow, WM_NULL, 0, 0);
    return TRUE;
}

// What listening brings, printed as the inbox command prints messages; a
// port that never opened, or what cannot be stored, ends it.
class CListenPrinter : public CReceiverHost {
public:
    explicit CListenPrinter(bool bJson) : m_bJson(bJson) {}

    void OnMessageReceived(const CReceivedMsg& msg) override
    {
        ::PrintLine(m_bJson ? FormatInboxMessage(msg) : MessageLine(msg));
        std::fflush(stdout);
    }
    void OnReportApplied(const CStatusReport& report, const WString& strKey) override
    {
        if (!m_bJson)
            ::PrintLine(ReportLine(report, strKey));
    }
    void OnListening(EListening eState, const WString& strPort) override
    {
        m_bListened = m_bListened || eState == EListening::LISTENING;
        if (!m_bJson)
            ::PrintLine(WideToUtf8(strPort) + (eState == EListening::LISTENING ? ": listening" : " lost; trying again"));
        std::fflush(stdout);
    }
    void OnReceiveFailure(const std::string& strError) override
    {
        ::PrintError("not stored: " + strError);
        m_bStoreFailed = true;
    }

    bool m_bJson;
    bool m_bListened = false;
    bool m_bStoreFailed = false;
};

// A request with the phone options of the command line.
class CPhoneRequestOf : public CConsoleRequest {
public:
    CPhoneRequestOf(CConsoleSession& console, const CPhoneArgs& phone)
        : CConsoleRequest(console.Queue(), &console, phone.strPort, phone.dwTimeoutMs)
    {
        if (phone.bTimeout)
            SetSubmitTimeout(phone.dwTimeoutMs);
        SetPin(phone.strPin);
    }
};

// test-port --json: what the phone told, a field null when it was not told.
std::string DeviceJson(const WString& strPort, const CDeviceInfo& info)
{
    nlohmann::ordered_json json;
    auto text = [](const std::string& str) { return str.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(str); };
    json["port"] = WideToUtf8(strPort);
    json["maker"] = text(info.strMaker);
    json["model"] = text(info.strModel);
    json["sim"] = text(info.strSim);
    json["signal"] = info.nSignal < 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(info.nSignal);
    json["network"] = text(info.strNetwork);
    json["service_centre"] = info.bScaKnown ? nlohmann::ordered_json(info.strSca) : nlohmann::ordered_json();
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

// The inbox file in the program's data folder; empty (after the message) when there is none.
WString GetInboxPath()
{
    WString strFolder;
    const DWORD dwError = GetAppDataFolder(strFolder);
    if (dwError == ERROR_SUCCESS)
        return strFolder + WSTR("inbox.json");
    PrintError("no folder for the inbox file (error " + std::to_string(dwError) + "): " +
               TrimWhite(WideToUtf8(GetSystemErrorText(dwError))));
    return WString();
}

// The settings key opened for the "Reports" list; false after the message.
bool OpenReportsKey()
{
    const LONG lResult = GetSettingsKey().Open();
    if (lResult == ERROR_SUCCESS)
        return true;
    PrintError("cannot open the settings (error " + std::to_string(lResult) + ")");
    return false;
}

std::vector<CContact> LoadStoredContacts()
{
    CSettingsKey key;
    if (key.OpenForReading() != ERROR_SUCCESS)
        return std::vector<CContact>();
    CSettingsListKey listKey(key);
    return CContactStore(listKey).Load();
}

// As the window stores a downloaded phone book: "Contacts" replaced as a
// whole, under the lock the window takes too.
bool StoreContacts(const std::vector<CContact>& contacts)
{
    CSettingsKey& key = GetSettingsKey();
    LONG lResult = key.Open();
    if (lResult == ERROR_SUCCESS) {
        CSettingsListKey listKey(key);
        lResult = static_cast<LONG>(CContactStore(listKey).Save(contacts));
    }
    if (lResult == ERROR_SUCCESS)
        return true;
    const std::string strReason = WideToUtf8(GetSystemErrorText(static_cast<DWORD>(lResult)));
    PrintError("cannot store the phone book in the settings (error " + std::to_string(lResult) + "): " +
               TrimWhite(strReason));
    return false;
}

int RunMessage(CArgs& args, const char* pszUsage, bool bSave)
{
    CMessageArgs message;
    if (const int nExit = ParseMessageArgs(args, pszUsage, message))
        return nExit;
    WString strText;
    std::string strError;
    if (message.bText)
        strText = Utf8ToWide(message.strText);
    else if (!ReadText(message.strFile, strText, strError)) {
        PrintError(strError);
        return kExitInput;
    }
    // Only a name needs the phone book: numbers never touch the registry.
    const std::vector<CContact> contacts =
        NamesContacts(message.strTo) ? LoadStoredContacts() : std::vector<CContact>();
    std::vector<CSendRecipient> list;
    CResolveNotes notes;
    if (!ResolveSendList(message.strTo, contacts, list, notes, strError) || !CheckText(strText, strError)) {
        PrintError(strError);
        return kExitInput;
    }
    if (const WString strNote = DescribeResolveNotes(notes); !strNote.empty())
        PrintError(WideToUtf8(strNote));
    std::vector<CContact> recipients;
    for (const CSendRecipient& recipient : list)
        recipients.push_back(recipient.contact);

    CConsoleSession console;
    if (!console.Start())
        return kExitPort;
    CPhoneRequestOf request(console, message.phone);
    std::unique_ptr<CSettingsListKey> pReportsKey;
    if (message.bReport && !bSave) {
        const WString strInbox = GetInboxPath();
        if (strInbox.empty() || !OpenReportsKey())
            return kExitSettings;
        pReportsKey = std::make_unique<CSettingsListKey>(GetSettingsKey());
        request.RequestReports(*pReportsKey, strInbox, GetRecordTimeText());
    }
    if (bSave)
        request.Save(recipients, strText);
    else
        request.Send(recipients, strText);
    return console.Run(request);
}

// Reads the phone's memories into the inbox file at strInbox (empty: none)
// and the reports; fnRead is given what the reading stored.
int RunReading(CConsoleSession& console, const CPhoneArgs& phone, const WString& strInbox, bool bDelete,
               bool bReportsOnly, const std::function<void(const CInboxUpdate&)>& fnRead)
{
    if (!OpenReportsKey())
        return kExitSettings;
    CSettingsListKey reportsKey(GetSettingsKey());
    if (!console.Start())
        return kExitPort;
    CPhoneRequestOf request(console, phone);
    request.ReadMessages(reportsKey, strInbox, bDelete, bReportsOnly);
    const int nExit = console.Run(request);
    if (request.GetInbox())
        fnRead(*request.GetInbox());
    return nExit;
}

} // namespace

static int RunSend(CArgs& args)
{
    return RunMessage(args, kSendUsage, false);
}

static int RunStore(CArgs& args)
{
    return RunMessage(args, kStoreUsage, true);
}

static int RunTestPort(CArgs& args)
{
    const bool bJson = args.Flag("json");
    CPhoneArgs phone;
    if (const int nExit = ParsePhoneArgs(args, kTestPortUsage, phone))
        return nExit;
    CConsoleSession console;
    if (!console.Start(bJson))
        return kExitPort;
    CPhoneRequestOf request(console, phone);
    request.TestPort();
    const int nExit = console.Run(request);
    if (bJson && nExit == kExitOk)
        PrintLine(DeviceJson(phone.strPort, request.GetDeviceInfo()));
    return nExit;
}

static int RunPhonebook(CArgs& args)
{
    const bool bSave = args.Flag("save");
    CPhoneArgs phone;
    if (const int nExit = ParsePhoneArgs(args, kPhonebookUsage, phone))
        return nExit;
    CConsoleSession console;
    if (!console.Start())
        return kExitPort;
    CPhoneRequestOf request(console, phone);
    request.DownloadPhonebook();
    const int nExit = console.Run(request);
    // The user's own contacts stay, as the window keeps them.
    if (nExit == kExitOk && bSave && !StoreContacts(MergePhonebook(LoadStoredContacts(), request.GetPhonebook())))
        return kExitSettings;
    return nExit;
}

static int RunInbox(CArgs& args)
{
    const bool bDelete = args.Flag("delete");
    const bool bJson = args.Flag("json");
    CPhoneArgs phone;
    if (const int nExit = ParsePhoneArgs(args, kInboxUsage, phone))
        return nExit;
    const WString strInbox = GetInboxPath();
    if (strInbox.empty())
        return kExitSettings;
    CConsoleSession console;
    if (bJson)
        console.SetQuiet();
    std::vector<CDeliverSms> received;
    const int nExit =
        RunReading(console, phone, strInbox, bDelete, false, [&](const CInboxUpdate& update) { received = update.GetReceived(); });
    // Oldest first, whichever memory the phone lists first.
    std::vector<CReceivedMsg> messages = JoinParts(received);
    std::stable_sort(messages.begin(), messages.end(), [](const CReceivedMsg& a, const CReceivedMsg& b) {
        return a.time.ToUnixTime() < b.time.ToUnixTime();
    });
    for (const CReceivedMsg& msg : messages)
        PrintLine(bJson ? FormatInboxMessage(msg) : MessageLine(msg));
    return nExit;
}

// Until Ctrl+C (kExitOk), a port that could not be opened at the start
// (kExitPort) or what could not be stored (kExitSettings); a port lost later
// is opened again every 10 s, as the window does.
static int RunListen(CArgs& args)
{
    const bool bJson = args.Flag("json");
    CPhoneArgs phone;
    if (const int nExit = ParsePhoneArgs(args, kListenUsage, phone))
        return nExit;
    const WString strInbox = GetInboxPath();
    if (strInbox.empty() || !OpenReportsKey())
        return kExitSettings;
    CSettingsListKey reportsKey(GetSettingsKey());
    CConsoleSession console;
    if (!console.Start(bJson))
        return kExitPort;
    CPhoneRequestOf request(console, phone);
    CListenPrinter printer(bJson);
    CReceiver receiver(printer, reportsKey, strInbox, CAppSettings().Read(EFlag::DELETE_AFTER_DOWNLOAD));
    g_hListenWindow = console.GetWindow();
    SetConsoleCtrlHandler(OnConsoleStop, TRUE);
    request.Listen(receiver);
    console.RunUntil(request, [&] {
        return g_nStopListening || printer.m_bStoreFailed || (!printer.m_bListened && request.GetFailure());
    });
    SetConsoleCtrlHandler(OnConsoleStop, FALSE);
    if (printer.m_bStoreFailed)
        return kExitSettings;
    return g_nStopListening ? kExitOk : request.GetFailure();
}

static int RunReports(CArgs& args)
{
    CPhoneArgs phone;
    if (const int nExit = ParsePhoneArgs(args, kReportsUsage, phone))
        return nExit;
    // The listing marks the phone's unread messages read: they are stored as
    // the Inbox would store them, and stay on the phone.
    const WString strInbox = GetInboxPath();
    if (strInbox.empty())
        return kExitSettings;
    CConsoleSession console;
    return RunReading(console, phone, strInbox, false, true, [](const CInboxUpdate& update) {
        for (size_t i = 0; i < update.GetReports().size(); ++i)
            PrintLine(ReportLine(update.GetReports()[i], update.GetReportKeys()[i]));
    });
}

#else  // the host build has no serial port

} // namespace

static int RunSend(CArgs& args)
{
    CMessageArgs message;
    const int nExit = ParseMessageArgs(args, kSendUsage, message);
    return nExit ? nExit : NeedsWindows("send");
}

static int RunStore(CArgs& args)
{
    CMessageArgs message;
    const int nExit = ParseMessageArgs(args, kStoreUsage, message);
    return nExit ? nExit : NeedsWindows("store");
}

static int RunTestPort(CArgs& args)
{
    args.Flag("json");
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kTestPortUsage, phone);
    return nExit ? nExit : NeedsWindows("test-port");
}

static int RunPhonebook(CArgs& args)
{
    args.Flag("save");
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kPhonebookUsage, phone);
    return nExit ? nExit : NeedsWindows("phonebook");
}

static int RunInbox(CArgs& args)
{
    args.Flag("delete");
    args.Flag("json");
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kInboxUsage, phone);
    return nExit ? nExit : NeedsWindows("inbox");
}

static int RunReports(CArgs& args)
{
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kReportsUsage, phone);
    return nExit ? nExit : NeedsWindows("reports");
}

static int RunListen(CArgs& args)
{
    args.Flag("json");
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kListenUsage, phone);
    return nExit ? nExit : NeedsWindows("listen");
}

#endif

const CCliCommand kPhoneCommands[] = {
    {ECliSection::SEC_PHONE, 10, "send", nullptr,
      "  send --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--report]\n"
      "       [--timeout S]\n"
      "      Send the text to each recipient in turn, on one open port. RECIPIENTS\n"
      "      are separated by semicolons: numbers as typed, or names from the\n"
      "      program's stored contacts (matched ignoring the case of A-Z) or\n"
      "      groups, which stand for their members; each number is sent to once.\n"
      "      --report asks for a delivery report of every part and keeps the\n"
      "      references the phone gives them for \"reports\" and the window.\n",
     RunSend},
    {ECliSection::SEC_PHONE, 20, "store", nullptr,
      "  store --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--timeout S]\n"
      "      Store the message in the phone's memory instead, one per recipient.\n",
     RunStore},
    {ECliSection::SEC_PHONE, 30, "test-port", nullptr,
      "  test-port --port NAME [--timeout S]\n"
      "      Ask the phone on the port for its maker.\n",
     RunTestPort},
    {ECliSection::SEC_PHONE, 40, "phonebook", nullptr,
      "  phonebook --port NAME [--save] [--timeout S]\n"
      "      Download the phone's phone book and print one \"NAME<TAB>NUMBER\" line\n"
      "      per entry; --save also stores it as the program's contact list.\n",
     RunPhonebook},
    {ECliSection::SEC_PHONE, 50, "inbox", nullptr,
      "  inbox --port NAME [--delete] [--json] [--timeout S]\n"
      "      Read the messages the phone received (every memory it uses), store\n"
      "      them in the program's inbox file and print one \"SENDER<TAB>TIME<TAB>\n"
      "      TEXT\" line per message (parts joined); --json prints a JSON object a\n"
      "      line instead, and no status texts. --delete deletes from the phone\n"
      "      what has been stored.\n",
     RunInbox},
    {ECliSection::SEC_PHONE, 60, "reports", nullptr,
      "  reports --port NAME [--timeout S]\n"
      "      Read the delivery reports the phone holds, apply them to the messages\n"
      "      sent with a report requested and print one \"NUMBER<TAB>REFERENCE<TAB>\n"
      "      STATE<TAB>SENT\" line per report (SENT: when the message it matched\n"
      "      was sent, or \"not matched\").\n",
     RunReports},
    {ECliSection::SEC_PHONE, 70, "listen", nullptr,
      "  listen --port NAME [--json]\n"
      "      Keep the port open and store each message the phone receives as it\n"
      "      arrives, as the program's \"Receive messages\" does, printing it as\n"
      "      inbox does (--json: a JSON object a line and nothing else), until\n"
      "      Ctrl+C (exit code 0). A port lost is opened again every 10 s; one\n"
      "      that cannot be opened at the start ends it (4), as does a message\n"
      "      that cannot be stored (6).\n",
     RunListen},
    {ECliSection::SEC_PHONE, 90, nullptr, nullptr,
      "  These print the program's status texts, one per line, on standard output\n"
      "  (\"Connecting...\", \"Handshaking...\", \"Message sent to 0123456789\", ...)\n"
      "  and what went wrong on standard error (the phone's error code and its\n"
      "  meaning, the system's text of a port error). --timeout: after the\n"
      "  handshake, when an answer the phone owes has not come within S seconds\n"
      "  (default 60) the request is cancelled; a repeated OK, an echo, a blank\n"
      "  line or an unsolicited code does not count as an answer.\n",
     nullptr},
};
ZANDU_CLI_COMMANDS(kPhoneCommands);
