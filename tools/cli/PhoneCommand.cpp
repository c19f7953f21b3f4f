// zandusms-cli send, store, test-port and phonebook: the window's requests to
// the phone, carried out by the same serial worker and modem driver, with the
// window's status texts on standard output, one per line.
#include "cli/Cli.h"

#include <cstdint>
#include <string>
#include <vector>

#include "cli/ConsoleRequest.h"
#include "ui/SendInput.h"
#include "ui/Contact.h"

#if defined(_WIN32)
#include "ui/Session.h"
#include "base/Settings.h"
#endif

namespace {

// The wait for each answer of the phone after the handshake, after which a
// request is cancelled: the longest a network may take to answer AT+CMGS.
const unsigned long kDefaultTimeout = 60;
const unsigned long kMaxTimeout = 86400;

const char kSendUsage[] =
    "usage: zandusms-cli send --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--timeout SECONDS]";
const char kStoreUsage[] =
    "usage: zandusms-cli store --port NAME --to RECIPIENTS (--text TEXT | --file PATH) [--timeout SECONDS]";
const char kTestPortUsage[] = "usage: zandusms-cli test-port --port NAME [--timeout SECONDS]";
const char kPhonebookUsage[] = "usage: zandusms-cli phonebook --port NAME [--save] [--timeout SECONDS]";

struct CPhoneArgs {
    WString strPort;
    uint32_t dwTimeoutMs = kDefaultTimeout * 1000;
};

// --port and --timeout, then nothing else may be left. False (after the
// message) on a usage error.
bool ParsePhoneArgs(CArgs& args, const char* pszUsage, CPhoneArgs& phone)
{
    std::string strPort, strTimeout;
    const bool bPort = args.Option("port", strPort);
    const bool bTimeout = args.Option("timeout", strTimeout);
    std::vector<std::string> positionals;
    std::string strError;
    if (!args.Positionals(positionals, strError)) {
        PrintError(strError);
        return false;
    }
    if (!bPort || strPort.empty() || !positionals.empty()) {
        PrintError(pszUsage);
        return false;
    }
    unsigned long nTimeout = kDefaultTimeout;
    if (bTimeout && (!ParseUnsigned(strTimeout, kMaxTimeout, nTimeout) || nTimeout == 0)) {
        PrintError("--timeout takes a number of seconds from 1 to " + std::to_string(kMaxTimeout));
        return false;
    }
    phone.strPort = Utf8ToWide(strPort);
    phone.dwTimeoutMs = static_cast<uint32_t>(nTimeout * 1000);
    return true;
}

struct CMessageArgs {
    CPhoneArgs phone;
    WString strTo;
    bool bText = false;  // else --file
    std::string strText;
    std::string strFile;
};

bool ParseMessageArgs(CArgs& args, const char* pszUsage, CMessageArgs& message)
{
    std::string strTo;
    const bool bTo = args.Option("to", strTo);
    message.bText = args.Option("text", message.strText);
    const bool bFile = args.Option("file", message.strFile);
    if (!ParsePhoneArgs(args, pszUsage, message.phone))
        return false;
    if (!bTo || message.bText == bFile) {
        PrintError(pszUsage);
        return false;
    }
    message.strTo = Utf8ToWide(strTo);
    return true;
}

#if defined(_WIN32)

// The console's stand-in for the main window: the session's message-only
// window gets the worker's announcements and the request's timers.
class CConsoleSession : public CConsoleHost, public CSessionHandler {
public:
    bool Start()
    {
        if (m_session.Start())
            return true;
        ::PrintError("cannot start the serial worker (error " + std::to_string(GetLastError()) + ")");
        return false;
    }

    CSerialQueue* Queue() { return &m_session.Queue(); }

    // Runs the loop until the request has ended; its exit code.
    int Run(CConsoleRequest& request)
    {
        m_pRequest = &request;
        m_session.Run(*this, [&request] { return request.IsFinished(); }, INFINITE);
        m_pRequest = nullptr;
        return request.GetExitCode();
    }

    void PrintLine(const std::string& strLine) override { ::PrintLine(strLine); }
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
    CSession m_session;
    CConsoleRequest* m_pRequest = nullptr;
};

std::vector<CContact> LoadStoredContacts()
{
    CSettingsKey key;
    std::vector<WString> aList;
    if (key.OpenForReading() == ERROR_SUCCESS)
        key.ReadList("Contacts", aList);
    return ContactsFromList(aList);
}

// As the window stores a downloaded phone book: "Contacts" replaced as a whole.
bool StoreContacts(const std::vector<CContact>& contacts)
{
    CSettingsKey& key = GetSettingsKey();
    LONG lResult = key.Open();
    if (lResult == ERROR_SUCCESS) {
        const std::vector<WString> aList = ContactsToList(contacts);
        lResult = aList.empty() ? key.DeleteValue("Contacts") : key.WriteList("Contacts", aList);
        if (lResult == ERROR_FILE_NOT_FOUND && aList.empty())
            lResult = ERROR_SUCCESS;  // there was nothing to delete
    }
    if (lResult == ERROR_SUCCESS)
        return true;
    PrintError("cannot store the phone book in the settings (error " + std::to_string(lResult) + ")");
    return false;
}

int RunMessage(CArgs& args, const char* pszUsage, bool bSave)
{
    CMessageArgs message;
    if (!ParseMessageArgs(args, pszUsage, message))
        return kExitUsage;
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
    std::vector<CContact> recipients;
    if (!ResolveRecipients(message.strTo, contacts, recipients, strError) || !CheckText(strText, strError)) {
        PrintError(strError);
        return kExitInput;
    }

    CConsoleSession console;
    if (!console.Start())
        return kExitPort;
    CConsoleRequest request(console.Queue(), &console, message.phone.strPort, message.phone.dwTimeoutMs);
    if (bSave)
        request.Save(recipients, strText);
    else
        request.Send(recipients, strText);
    return console.Run(request);
}

} // namespace

int RunSend(CArgs& args)
{
    return RunMessage(args, kSendUsage, false);
}

int RunStore(CArgs& args)
{
    return RunMessage(args, kStoreUsage, true);
}

int RunTestPort(CArgs& args)
{
    CPhoneArgs phone;
    if (!ParsePhoneArgs(args, kTestPortUsage, phone))
        return kExitUsage;
    CConsoleSession console;
    if (!console.Start())
        return kExitPort;
    CConsoleRequest request(console.Queue(), &console, phone.strPort, phone.dwTimeoutMs);
    request.TestPort();
    return console.Run(request);
}

int RunPhonebook(CArgs& args)
{
    const bool bSave = args.Flag("save");
    CPhoneArgs phone;
    if (!ParsePhoneArgs(args, kPhonebookUsage, phone))
        return kExitUsage;
    CConsoleSession console;
    if (!console.Start())
        return kExitPort;
    CConsoleRequest request(console.Queue(), &console, phone.strPort, phone.dwTimeoutMs);
    request.DownloadPhonebook();
    const int nExit = console.Run(request);
    if (nExit == kExitOk && bSave && !StoreContacts(request.GetPhonebook()))
        return kExitSettings;
    return nExit;
}

#else  // the host build has no serial port

int NeedsWindows(const char* pszCommand)
{
    PrintError(std::string(pszCommand) + " needs Windows (run the Windows build, under Wine on Linux)");
    return kExitUsage;
}

} // namespace

int RunSend(CArgs& args)
{
    CMessageArgs message;
    return ParseMessageArgs(args, kSendUsage, message) ? NeedsWindows("send") : kExitUsage;
}

int RunStore(CArgs& args)
{
    CMessageArgs message;
    return ParseMessageArgs(args, kStoreUsage, message) ? NeedsWindows("store") : kExitUsage;
}

int RunTestPort(CArgs& args)
{
    CPhoneArgs phone;
    return ParsePhoneArgs(args, kTestPortUsage, phone) ? NeedsWindows("test-port") : kExitUsage;
}

int RunPhonebook(CArgs& args)
{
    args.Flag("save");
    CPhoneArgs phone;
    return ParsePhoneArgs(args, kPhonebookUsage, phone) ? NeedsWindows("phonebook") : kExitUsage;
}

#endif
