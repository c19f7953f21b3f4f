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
#include "ui/ContactStore.h"
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

// --port and --timeout, then nothing else may be left. kExitOk, or (after
// the message) the exit code of the error.
int ParsePhoneArgs(CArgs& args, const char* pszUsage, CPhoneArgs& phone)
{
    std::string strPort, strTimeout;
    const bool bPort = args.Option("port", strPort);
    const bool bTimeout = args.Option("timeout", strTimeout);
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
    return kExitOk;
}

struct CMessageArgs {
    CPhoneArgs phone;
    WString strTo;
    bool bText = false;  // else --file
    std::string strText;
    std::string strFile;
};

int ParseMessageArgs(CArgs& args, const char* pszUsage, CMessageArgs& message)
{
    std::string strTo;
    const bool bTo = args.Option("to", strTo);
    message.bText = args.Option("text", message.strText);
    const bool bFile = args.Option("file", message.strFile);
    if (!bTo || message.bText == bFile) {
        PrintError(pszUsage);
        return kExitUsage;
    }
    message.strTo = Utf8ToWide(strTo);
    return ParsePhoneArgs(args, pszUsage, message.phone);
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

    CPortOperations* Queue() { return &m_session.Queue(); }

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
    CSerialSession m_session;
    CConsoleRequest* m_pRequest = nullptr;
};

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
    if (const int nExit = ParsePhoneArgs(args, kTestPortUsage, phone))
        return nExit;
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
    if (const int nExit = ParsePhoneArgs(args, kPhonebookUsage, phone))
        return nExit;
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
    const int nExit = ParseMessageArgs(args, kSendUsage, message);
    return nExit ? nExit : NeedsWindows("send");
}

int RunStore(CArgs& args)
{
    CMessageArgs message;
    const int nExit = ParseMessageArgs(args, kStoreUsage, message);
    return nExit ? nExit : NeedsWindows("store");
}

int RunTestPort(CArgs& args)
{
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kTestPortUsage, phone);
    return nExit ? nExit : NeedsWindows("test-port");
}

int RunPhonebook(CArgs& args)
{
    args.Flag("save");
    CPhoneArgs phone;
    const int nExit = ParsePhoneArgs(args, kPhonebookUsage, phone);
    return nExit ? nExit : NeedsWindows("phonebook");
}

#endif
