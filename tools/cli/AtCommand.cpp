// zandusms-cli at: opens a port and exchanges raw AT commands with the phone,
// printing every burst of its replies exactly as it came.
#include "cli/Cli.h"
#include "cli/CommandTable.h"

#if defined(_WIN32)
#include <string>
#include <vector>

#include "cli/ConsoleRequest.h"
#include "serial/PortHold.h"
#include "serial/SerialSession.h"

namespace {

const char kAtUsage[] = "usage: zandusms-cli at --port NAME [--timeout SECONDS] COMMAND...";

// A burst as one line: control characters and backslashes escaped; UTF-8
// text (names from the phone book) shown as it is, other bytes as \xHH.
std::string Escape(const std::string& strBytes)
{
    const bool bUtf8 = IsValidUtf8(strBytes);
    std::string strOut;
    for (unsigned char ch : strBytes) {
        char szHex[8];
        if (ch == '\r')
            strOut += "\\r";
        else if (ch == '\n')
            strOut += "\\n";
        else if (ch == '\\')
            strOut += "\\\\";
        else if (ch < 0x20 || ch == 0x7F || (ch >= 0x80 && !bUtf8)) {
            snprintf(szHex, sizeof(szHex), "\\x%02X", ch);
            strOut += szHex;
        } else
            strOut += static_cast<char>(ch);
    }
    return strOut;
}

enum EReply { REPLY_MORE, REPLY_OK, REPLY_ERROR, REPLY_PROMPT };

// Whether what the phone sent so far ends with a final result or the prompt.
EReply JudgeReply(const std::string& strReply)
{
    const std::string strTrimmed = TrimWhite(strReply);
    const size_t nBreak = strTrimmed.find_last_of("\r\n");
    const std::string strLast = nBreak == std::string::npos ? strTrimmed : strTrimmed.substr(nBreak + 1);
    if (strLast == "OK")
        return REPLY_OK;
    if (strLast == "ERROR" || strLast == "NO CARRIER" || strLast.compare(0, 11, "+CMS ERROR:") == 0 ||
        strLast.compare(0, 11, "+CME ERROR:") == 0)
        return REPLY_ERROR;
    if (strLast == ">")
        return REPLY_PROMPT;
    return REPLY_MORE;
}

std::string ErrorText(const CSerialPortException& e)
{
    return TrimWhite(WideToUtf8(e.GetErrorText())) + " (error " + std::to_string(e.m_dwError) + ")";
}

class CAtExchange {
public:
    CAtExchange(const std::string& strPort, DWORD dwTimeoutMs) : m_strPort(strPort), m_dwTimeoutMs(dwTimeoutMs) {}

    int Run(const std::vector<std::string>& commands)
    {
        if (!m_session.Start()) {
            PrintError("cannot start the serial worker (error " + std::to_string(GetLastError()) + ")");
            return kExitPort;
        }
        m_session.Queue().OpenPort(WideToAnsi(Utf8ToWide(m_strPort)));
        CAnnouncement ann;
        if (!m_session.Wait(CSerialCom::kOpenPauseMs + m_dwTimeoutMs, ann)) {
            PrintError("timed out opening " + m_strPort);
            return kExitTimeout;
        }
        if (ann.pError) {
            PrintError("cannot open " + m_strPort + ": " + ErrorText(*ann.pError));
            return kExitPort;
        }
        int nResult = kExitOk;
        bool bPrompt = false;
        for (const std::string& strCommand : commands) {
            nResult = Exchange(strCommand, bPrompt);
            if (nResult != kExitOk)
                break;
        }
        if (nResult != kExitPort) {
            m_session.Queue().CancelAll();
            m_session.Queue().ClosePort();
            m_session.Wait(m_dwTimeoutMs, ann);
        }
        return nResult;
    }

private:
    // After the prompt the line is the PDU: it goes with Ctrl-Z instead of CR LF.
    int Exchange(const std::string& strCommand, bool& bPrompt)
    {
        if (bPrompt) {
            PrintLine("> " + strCommand + "^Z");
            m_session.Queue().WriteRaw(strCommand + "\x1A");
        } else {
            PrintLine("> " + strCommand);
            m_session.Queue().WriteCommand(strCommand);
        }
        m_session.Queue().Read(512);
        std::string strReply;
        for (;;) {
            CAnnouncement ann;
            if (!m_session.Wait(m_dwTimeoutMs, ann)) {
                PrintError("no reply to " + strCommand + " within " + std::to_string(m_dwTimeoutMs / 1000) + " s");
                return kExitTimeout;
            }
            if (ann.pError) {
                PrintError("port " + m_strPort + " failed: " + ErrorText(*ann.pError));
                return kExitPort;
            }
            if (ann.pOp->m_eKind != EOpKind::OP_READ)
                continue;
            const std::string strBurst = ann.pOp->GetText();
            PrintLine("< " + Escape(strBurst));
            strReply += strBurst;
            switch (JudgeReply(strReply)) {
            case REPLY_OK:
                bPrompt = false;
                return kExitOk;
            case REPLY_PROMPT:
                bPrompt = true;
                return kExitOk;
            case REPLY_ERROR:
                return kExitFailed;
            case REPLY_MORE:
                m_session.Queue().Read(512);
                break;
            }
        }
    }

    CSerialSession m_session;
    std::string m_strPort;
    DWORD m_dwTimeoutMs;
};

} // namespace

static int RunAt(CArgs& args)
{
    std::string strPort, strTimeout;
    const bool bPort = args.Option("port", strPort);
    const bool bTimeout = args.Option("timeout", strTimeout);
    std::vector<std::string> commands;
    std::string strError;
    if (!args.Positionals(commands, strError)) {
        PrintError(strError);
        return kExitUsage;
    }
    if (!bPort || strPort.empty() || commands.empty()) {
        PrintError(kAtUsage);
        return kExitUsage;
    }
    uint32_t nTimeout = 5;
    const int nExit = bTimeout ? ParseNumberOption("timeout", strTimeout, 1, 3600, nTimeout) : kExitOk;
    if (nExit != kExitOk)
        return nExit;
    if (CPortHold::IsHeld(Utf8ToWide(strPort))) {  // as the phone commands refuse it
        PrintError(DescribeHeld(Utf8ToWide(strPort)));
        return kExitPort;
    }
    return CAtExchange(strPort, static_cast<DWORD>(nTimeout * 1000)).Run(commands);
}

#else

static int RunAt(CArgs&)
{
    PrintError("at needs Windows (run the Windows build, under Wine on Linux)");
    return kExitUsage;
}

#endif

const CCliCommand kAtCommands[] = {
    {ECliSection::SEC_PHONE, 100, "at", nullptr,
      "  at --port NAME [--timeout SECONDS] COMMAND...\n"
      "      Open the port (9600 8N1), send each COMMAND with CR LF and print every\n"
      "      burst of the reply (\"> \" sent, \"< \" received, control characters\n"
      "      escaped) until OK, an error or the \"> \" prompt; after the prompt the\n"
      "      next COMMAND is a PDU and goes with Ctrl-Z. --timeout is the wait for\n"
      "      each reply in seconds (default 5).\n",
     RunAt},
};
ZANDU_CLI_COMMANDS(kAtCommands);
