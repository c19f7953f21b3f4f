#include "SimPhone.h"

#include <cctype>
#include <chrono>
#include <cstdio>

#include "SimJson.h"
#include "SimPdu.h"

namespace {

const char kCtrlZ = 0x1A;
const char kEsc = 0x1B;
const size_t kMaxLine = 1024;
const size_t kMaxPdu = 2 * (1 + 12 + 176) + 16;  // SMSC field, longest TPDU, some slack

std::string Upper(const std::string& str)
{
    std::string out;
    for (char ch : str)
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return out;
}

bool ParseUnsigned(const std::string& str, unsigned& n)
{
    if (str.empty() || str.size() > 6)
        return false;
    n = 0;
    for (char ch : str) {
        if (!std::isdigit(static_cast<unsigned char>(ch)))
            return false;
        n = n * 10 + static_cast<unsigned>(ch - '0');
    }
    return true;
}

// Control characters as spaces, for the one-line printout of a message.
std::string OneLine(const std::string& str)
{
    std::string out;
    for (char ch : str)
        out += static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch;
    return out;
}

// Commands and replies for --verbose, with their line breaks visible.
std::string Visible(const std::string& str)
{
    std::string out;
    for (unsigned char ch : str) {
        char sz[8];
        if (ch == '\r')
            out += "\\r";
        else if (ch == '\n')
            out += "\\n";
        else if (ch < 0x20) {
            std::snprintf(sz, sizeof(sz), "\\x%02X", ch);
            out += sz;
        } else
            out += static_cast<char>(ch);
    }
    return out;
}

// The commands of 3GPP TS 27.005 report their errors as +CMS ERROR, the
// others as +CME ERROR.
bool IsSmsCommand(const std::string& strName)
{
    static const char* const kSms[] = {"PDU",     "AT+CSMS", "AT+CPMS", "AT+CMGF", "AT+CSCA", "AT+CSMP", "AT+CSDH",
                                       "AT+CSCB", "AT+CSAS", "AT+CRES", "AT+CNMI", "AT+CMGL", "AT+CMGR", "AT+CNMA",
                                       "AT+CMGS", "AT+CMSS", "AT+CMGW", "AT+CMGD", "AT+CMGC", "AT+CMMS"};
    for (const char* psz : kSms) {
        if (strName == psz)
            return true;
    }
    return false;
}

// TP-SRR of an SMS-SUBMIT in hex, after its service-centre field.
bool AsksForReport(const std::string& strHex)
{
    auto octet = [&](size_t n, unsigned& v) {
        return n * 2 + 2 <= strHex.size() && std::sscanf(strHex.substr(n * 2, 2).c_str(), "%2x", &v) == 1;
    };
    unsigned nSmsc = 0, nFirst = 0;
    return octet(0, nSmsc) && octet(1 + nSmsc, nFirst) && (nFirst & 0x20) != 0;
}

// A storage name of AT+CPMS, quoted or not, in upper case.
std::string StorageName(std::string str)
{
    if (str.size() >= 2 && str.front() == '"' && str.back() == '"')
        str = str.substr(1, str.size() - 2);
    return Upper(str);
}

// The command's name: up to '=' or '?', in upper case.
std::string CommandName(const std::string& strLine)
{
    return Upper(strLine.substr(0, strLine.find_first_of("=?")));
}

// A line whose PDU follows on the next line: nothing may come between them.
bool IsPduHead(const std::string& strLine)
{
    return strLine.compare(0, 6, "+CMGL:") == 0 || strLine.compare(0, 6, "+CMGR:") == 0;
}

long long SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

CSimPhone::CSimPhone(const CSimOptions& options, const CSimPhonebook& phonebook, CSimStore& store)
    : m_options(options),
      m_phonebook(phonebook),
      m_store(store),
      m_family(FamilyOf(options)),
      m_habits(ResolveHabits(options)),
      m_network(options),
      m_bEcho(options.bEcho),
      m_bSilent(options.nSilentAfter == 0),
      m_quirks(options.nQuirkSeed),
      m_splitter(options.nSplitSeed),
      m_profile(m_habits, options.nProfileSeed, options.nSignal),
      m_card(options.strSimPin, options.strSimPuk, m_habits.nSimBusyMs),
      m_clock(SteadyMs),
      m_strSca(options.strSca)
{
    m_quirks.SetNetworkWait(options.nNetworkWaitMs);
    if (options.bLeftAtPrompt) {
        // As after "AT+CMGS=<n>" and "> ", with no length to check against.
        m_bInPdu = true;
        m_bLeftPdu = true;
        m_strPduCommand = "AT+CMGS";
    }
}

void CSimPhone::Receive(char ch, std::vector<CSimAction>& actions)
{
    if (m_bHungUp || m_bUnplugged)
        return;
    if (!m_bPortOpen && !m_bToldOfOpens) {  // an open nobody tells of
        m_bPortOpen = true;
        m_network.Start(m_clock());
    }
    if (m_bInPdu) {
        OnPduByte(ch, actions);
        return;
    }
    if (ch == '\r') {
        OnCommandLine(actions);
    } else if (ch == '\b') {
        if (!m_strLine.empty())
            m_strLine.pop_back();
    } else if (ch == kEsc) {
        // A phone in command mode ignores ESC, and what was typed before it.
        m_strLine.clear();
        m_bLineTooLong = false;
        Log(CJsonFields().Add("event", "esc").Text(), actions);
    } else if (ch == '\n' && m_strLine.empty()) {
        // The LF after a command's CR.
    } else if (m_strLine.size() < kMaxLine) {
        m_strLine += ch;
    } else {
        m_bLineTooLong = true;
    }
}

void CSimPhone::OnCommandLine(std::vector<CSimAction>& actions)
{
    const std::string strLine = m_strLine;
    const bool bTooLong = m_bLineTooLong;
    m_strLine.clear();
    m_bLineTooLong = false;
    if (strLine.find_first_not_of(" \t\n") == std::string::npos)
        return;  // an empty line is no command

    ++m_nCommands;
    if (m_nCommands == 1)
        m_card.StartBusy(m_clock());
    if (m_options.nSilentAfter >= 0 && m_nCommands > static_cast<unsigned>(m_options.nSilentAfter))
        m_bSilent = true;
    CJsonFields fields;
    fields.Add("event", "command").Add("n", m_nCommands).Add("text", strLine);
    if (m_bSilent)
        fields.Add("silent", true);
    Log(fields.Text(), actions);
    if (m_options.bVerbose)
        actions.push_back({CSimAction::PRINT, "> " + Visible(strLine)});

    if (m_options.nHangupAfter > 0 && m_nCommands == static_cast<unsigned>(m_options.nHangupAfter)) {
        Hangup("command", actions);
        return;
    }
    if (m_nCommands == 1 && m_options.nNoiseBytes) {
        actions.push_back({CSimAction::SEND, m_quirks.Noise(m_options.nNoiseBytes), 0});
        Log(CJsonFields().Add("event", "noise").Add("bytes", m_options.nNoiseBytes).Text(), actions);
    }
    CReply reply;
    reply.quirk = ChooseQuirk(CommandName(strLine), actions);
    if (reply.quirk.bEchoOn)
        m_bEcho = true;
    reply.strCommand = strLine + "\r";
    reply.strName = CommandName(strLine);
    if (m_bEcho)
        reply.strEcho = reply.strCommand;
    if (bTooLong)
        reply.strFinal = "ERROR";
    else
        Execute(strLine, reply, actions);
    AddUnsolicited(CommandName(strLine), reply);
    if (!reply.quirk.bSilent)
        Emit(reply, actions);
}

CQuirk CSimPhone::ChooseQuirk(const std::string& strName, std::vector<CSimAction>& actions)
{
    if (!m_options.nQuirkSeed)
        return CQuirk();
    CQuirk quirk = m_quirks.Choose(strName);
    if (quirk.strKinds.empty())
        return quirk;
    CJsonFields fields;
    fields.Add("event", "quirk").Add("command", strName).Add("kinds", quirk.strKinds);
    if (quirk.nDelayMs || quirk.nPromptDelayMs)
        fields.Add("delay_ms", quirk.nDelayMs + quirk.nPromptDelayMs);
    Log(fields.Text(), actions);
    return quirk;
}

const std::map<std::string, CSimPhone::CHandler>& CSimPhone::Commands()
{
    static const std::map<std::string, CHandler> commands = {
        {"AT", &CSimPhone::Attention},          {"ATE", &CSimPhone::Echo},
        {"ATE0", &CSimPhone::Echo},             {"ATE1", &CSimPhone::Echo},
        {"AT+CGMI", &CSimPhone::Maker},         {"AT+CGMM", &CSimPhone::Model},
        {"AT+CSQ", &CSimPhone::Signal},         {"AT+CREG", &CSimPhone::Registration},
        {"AT+CSCA", &CSimPhone::ServiceCentre}, {"AT+CPIN", &CSimPhone::Pin},
        {"AT+CMGF", &CSimPhone::MessageFormat}, {"AT+CSCS", &CSimPhone::Charset},
        {"AT+CMGS", &CSimPhone::Submit},        {"AT+CMGW", &CSimPhone::Submit},
        {"AT+CPBS", &CSimPhone::SelectBook},    {"AT+CPBR", &CSimPhone::ReadBook},
        {"AT+CPMS", &CSimPhone::SelectStorage}, {"AT+CMGL", &CSimPhone::List},
        {"AT+CMGD", &CSimPhone::Delete},        {"AT+CNMI", &CSimPhone::Indications},
        {"AT+CMGR", &CSimPhone::Read},
    };
    return commands;
}

void CSimPhone::Execute(const std::string& strLine, CReply& reply, std::vector<CSimAction>& actions)
{
    CCommand command;
    command.strName = CommandName(strLine);
    if (command.strName.compare(0, 2, "AT") != 0) {
        reply.strFinal = "ERROR";
        return;
    }
    const size_t nEnd = strLine.find_first_of("=?");
    command.strTail = nEnd == std::string::npos ? std::string() : strLine.substr(nEnd);
    if (command.strTail.size() > 1 && command.strTail[0] == '=')
        command.strArgs = command.strTail.substr(1);
    if (FindFailure(command.strName, reply.strFinal))
        return;
    std::string strWhy;
    reply.strFinal = m_card.Refuse(command.strName, command.strTail, m_clock(), strWhy);
    if (!reply.strFinal.empty()) {
        Log(CJsonFields().Add("event", "sim_refused").Add("command", command.strName).Add("why", strWhy).Text(),
            actions);
        return;
    }

    reply.strFinal = "OK";
    const auto it = Commands().find(command.strName);
    if (it != Commands().end() && (this->*it->second)(command, reply, actions))
        return;
    reply.info.clear();
    reply.strFinal = it == Commands().end() ? m_habits.pszNotSupported : "ERROR";
    if (reply.strFinal != "ERROR")
        Log(CJsonFields()
                .Add("event", "quirk")
                .Add("command", command.strName)
                .Add("kinds", "not-supported")
                .Add("profile", m_habits.pszFamily)
                .Text(),
            actions);
}

bool CSimPhone::Attention(const CCommand& command, CReply&, std::vector<CSimAction>&)
{
    return command.strTail.empty();
}

// ATE and ATE0 turn the echo off, ATE1 on.
bool CSimPhone::Echo(const CCommand& command, CReply&, std::vector<CSimAction>&)
{
    if (!command.strTail.empty())
        return false;
    m_bEcho = command.strName == "ATE1";
    return true;
}

bool CSimPhone::Maker(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (!command.strTail.empty())
        return false;
    reply.info.push_back(m_options.strMaker);
    return true;
}

bool CSimPhone::Model(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (!command.strTail.empty())
        return false;
    reply.info.push_back(m_options.strModel);
    return true;
}

bool CSimPhone::Signal(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (command.strTail.empty())
        reply.info.push_back("+CSQ: " + std::to_string(m_options.nSignal) + ",99");
    else if (command.strTail == "=?")
        reply.info.push_back("+CSQ: (0-31,99),(0-7,99)");
    else
        return false;
    return true;
}

bool CSimPhone::Registration(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (command.strTail == "?")
        reply.info.push_back("+CREG: " + std::to_string(m_nCregMode) + "," + std::to_string(m_options.nNetwork));
    else if (command.strTail == "=?")
        reply.info.push_back("+CREG: (0-1)");
    else if (command.strArgs == "0" || command.strArgs == "1")
        m_nCregMode = static_cast<unsigned>(command.strArgs[0] - '0');
    else
        return false;
    return true;
}

// AT+CSCA="<number>"[,<type>]: type 145 makes the number international.
bool CSimPhone::ServiceCentre(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (command.strTail == "?") {
        reply.info.push_back("+CSCA: \"" + m_strSca + "\"," + (m_strSca.compare(0, 1, "+") == 0 ? "145" : "129"));
        return true;
    }
    if (command.strTail == "=?")
        return true;  // OK: it lists nothing
    const std::string& strArgs = command.strArgs;
    const size_t nComma = strArgs.find(',');
    std::string strNumber = strArgs.substr(0, nComma);
    unsigned nType = 0;
    const bool bQuoted = strNumber.size() >= 2 && strNumber.front() == '"' && strNumber.back() == '"';
    if (bQuoted)
        strNumber = strNumber.substr(1, strNumber.size() - 2);
    const bool bDigits = strNumber.size() <= 21 && strNumber.find_first_not_of("+0123456789") == std::string::npos &&
                         strNumber.find('+', 1) == std::string::npos;
    if (!bQuoted || !bDigits ||
        (nComma != std::string::npos && (!ParseUnsigned(strArgs.substr(nComma + 1), nType) || nType > 255)))
        return false;
    if (nType == 145 && strNumber.compare(0, 1, "+") != 0)
        strNumber = "+" + strNumber;
    m_strSca = strNumber;
    return true;
}

bool CSimPhone::Pin(const CCommand& command, CReply& reply, std::vector<CSimAction>& actions)
{
    if (command.strTail == "?") {
        reply.info.push_back(std::string("+CPIN: ") + m_card.GetStateText());
        return true;
    }
    if (command.strTail == "=?")
        return true;  // OK: it lists nothing
    if (command.strArgs.empty())
        return false;
    const CSimCard::CEntry entry = m_card.Enter(command.strArgs, m_clock());
    reply.strFinal = entry.strFinal;
    if (!entry.bChecked)
        return true;
    CJsonFields fields;
    fields.Add("event", "pin").Add("ok", entry.bOk).Add("tries_left", entry.nTriesLeft);
    if (entry.bPuk)
        fields.Add("puk", true);
    Log(fields.Text(), actions);
    return true;
}

// PDU mode only.
bool CSimPhone::MessageFormat(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (command.strTail == "?")
        reply.info.push_back("+CMGF: 0");
    else if (command.strTail == "=?")
        reply.info.push_back("+CMGF: (0)");
    else
        return command.strTail == "=0";
    return true;
}

bool CSimPhone::Charset(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    ECharset charset;
    if (command.strTail == "?")
        reply.info.push_back(std::string("+CSCS: \"") + CharsetName(m_charset) + "\"");
    else if (command.strTail == "=?")
        reply.info.push_back("+CSCS: (\"IRA\",\"GSM\",\"UCS2\",\"UTF-8\")");
    else if (ParseCharset(command.strArgs, charset))
        m_charset = charset;
    else
        return false;
    return true;
}

// AT+CMGS=<length> and AT+CMGW=<length>[,<stat>]: the prompt, then the PDU.
bool CSimPhone::Submit(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    const std::string strLength =
        command.strArgs.substr(0, command.strName == "AT+CMGW" ? command.strArgs.find(',') : std::string::npos);
    unsigned n = 0;
    if (!ParseUnsigned(strLength, n) || n < 1 || n > 255)
        return false;
    m_bInPdu = true;
    m_strPduCommand = command.strName;
    m_nPduLength = n;
    m_strPdu.clear();
    ++m_nPdus;
    reply.strFinal.clear();
    reply.strRaw = "\r\n> ";
    return true;
}

bool CSimPhone::SelectBook(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (command.strTail == "?")
        reply.info.push_back("+CPBS: \"SM\"," + std::to_string(m_phonebook.m_entries.size()) + "," +
                             std::to_string(m_phonebook.m_nCapacity));
    else if (command.strTail == "=?")
        reply.info.push_back("+CPBS: (\"SM\")");
    else
        return Upper(command.strTail) == "=\"SM\"";
    return true;
}

// AT+CPBR=<first>[,<last>]: the entries between, empty locations skipped.
bool CSimPhone::ReadBook(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    const unsigned nCapacity = m_phonebook.m_nCapacity;
    if (command.strTail == "=?") {
        reply.info.push_back("+CPBR: (1-" + std::to_string(nCapacity) + "),40,24");
        return true;
    }
    const std::string& strArgs = command.strArgs;
    const size_t nComma = strArgs.find(',');
    unsigned nFirst = 0, nLast = 0;
    if (!ParseUnsigned(strArgs.substr(0, nComma), nFirst) ||
        !(nComma == std::string::npos ? (nLast = nFirst, true) : ParseUnsigned(strArgs.substr(nComma + 1), nLast)))
        return false;
    if (nFirst < 1 || nFirst > nLast || nLast > nCapacity) {
        reply.strFinal = "+CME ERROR: 21";  // invalid index
        return true;
    }
    for (auto it = m_phonebook.m_entries.lower_bound(nFirst); it != m_phonebook.m_entries.end() && it->first <= nLast; ++it)
        reply.info.push_back(FormatEntry(it->first, it->second, m_charset));
    if (reply.info.empty() && m_options.bEmptyRangeNotFound)
        reply.strFinal = "+CME ERROR: 22";  // not found
    return true;
}

std::string CSimPhone::StorageStatus(const std::string& strMem) const
{
    return std::to_string(m_store.GetUsed(strMem)) + "," + std::to_string(m_store.GetCapacity(strMem));
}

// AT+CPMS=<mem1>[,<mem2>[,<mem3>]]: the listings and deletions go to <mem1>.
bool CSimPhone::SelectStorage(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (command.strTail == "?") {
        reply.info.push_back("+CPMS: \"" + m_strMem1 + "\"," + StorageStatus(m_strMem1) + ",\"ME\"," +
                             StorageStatus("ME") + ",\"SM\"," + StorageStatus("SM"));
        return true;
    }
    if (command.strTail == "=?") {
        reply.info.push_back("+CPMS: (\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\")");
        return true;
    }
    std::vector<std::string> names;
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = command.strArgs.find(',', nStart);
        names.push_back(StorageName(command.strArgs.substr(nStart, nComma - nStart)));
        if (nComma == std::string::npos)
            break;
        nStart = nComma + 1;
    }
    for (const std::string& strName : names) {
        if (names.size() > 3 || !CSimStore::IsStorage(strName)) {
            reply.strFinal = "+CMS ERROR: 302";  // operation not allowed
            return true;
        }
    }
    m_strMem1 = names[0];
    reply.info.push_back("+CPMS: " + StorageStatus(m_strMem1) + "," + StorageStatus("ME") + "," + StorageStatus("SM"));
    return true;
}

// Without a stat: the unread ones, as 27.005 has it.
bool CSimPhone::List(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    unsigned n = 0;
    if (command.strTail == "=?")
        reply.info.push_back("+CMGL: (0-4)");
    else if (command.strTail.empty() || (ParseUnsigned(command.strArgs, n) && n <= 4))
        reply.info = m_store.List(m_strMem1, command.strTail.empty() ? 0 : n);
    else
        reply.strFinal = "+CMS ERROR: 302";  // text-mode stats in PDU mode
    return true;
}

// AT+CMGD=<index>[,<flag>]
bool CSimPhone::Delete(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    const std::string& strArgs = command.strArgs;
    const size_t nComma = strArgs.find(',');
    unsigned n = 0, nFlag = 0;
    if (!ParseUnsigned(strArgs.substr(0, nComma), n) ||
        (nComma != std::string::npos && (!ParseUnsigned(strArgs.substr(nComma + 1), nFlag) || nFlag > 4)))
        return false;
    if (nFlag == 4)  // every message of the storage
        m_store.DeleteAll(m_strMem1);
    else if (!m_store.Delete(m_strMem1, n))
        reply.strFinal = "+CMS ERROR: 321";  // invalid memory index
    return true;
}

// AT+CMGR=<index>: the PDU at that location of <mem1>, with its stat before
// this reading; an unread one becomes read.
bool CSimPhone::Read(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    unsigned n = 0;
    if (command.strTail == "=?")
        return true;
    if (!ParseUnsigned(command.strArgs, n))
        return false;
    if (!m_store.Read(m_strMem1, n, reply.info))
        reply.strFinal = "+CMS ERROR: 321";  // invalid memory index
    return true;
}

// AT+CNMI=<mode>,<mt>,<bm>,<ds>,<bfr>: <mode>, <mt> and <ds> are what the
// simulator acts on. A family without it answers ERROR to every form.
bool CSimPhone::Indications(const CCommand& command, CReply& reply, std::vector<CSimAction>&)
{
    if (m_habits.bNoCnmi)
        return false;
    if (command.strTail == "?") {
        reply.info.push_back("+CNMI: " + m_strCnmi);
        return true;
    }
    if (command.strTail == "=?") {
        reply.info.push_back("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
        return true;
    }
    const std::string& strArgs = command.strArgs;
    std::vector<unsigned> values;
    size_t nStart = 0;
    unsigned n = 0;
    bool bOk = !strArgs.empty();
    while (bOk) {
        const size_t nComma = strArgs.find(',', nStart);
        bOk = ParseUnsigned(strArgs.substr(nStart, nComma - nStart), n) && n <= 3;
        values.push_back(n);
        if (nComma == std::string::npos)
            break;
        nStart = nComma + 1;
    }
    if (!bOk || values.size() > 5 || (values.size() >= 4 && values[3] > 2)) {
        reply.strFinal = "+CMS ERROR: 303";  // operation not supported
    } else {
        m_strCnmi = strArgs;
        m_nCnmiMode = values[0];
        m_nMessageMode = values.size() >= 2 ? values[1] : 0;
        m_nReportMode = values.size() >= 4 ? values[3] : 0;
    }
    return true;
}

void CSimPhone::ReportOn(const CSubmitInfo& info, std::vector<CSimAction>& actions)
{
    CReportPlan plan;
    plan.nMr = m_nMr;
    plan.strRecipient = info.strNumber;
    plan.scts = m_network.TimeAt(m_clock());
    plan.discharge = plan.scts;
    plan.nStatus = m_options.nReportStatus;
    if (m_options.nReportAfter < 0) {
        ReportArrives(plan, false, actions);
        return;
    }
    m_network.AddReport(m_clock(), plan);
    Log(CJsonFields().Add("event", "report_due").Add("mr", m_nMr).Add("after_s", m_options.nReportAfter).Text(),
        actions);
}

// The network's report on a message that asked for one: stored in "SM" and
// announced with "+CDSI:" (<ds> 2) or quietly (<ds> 0), or passed on with
// "+CDS:" (<ds> 1).
void CSimPhone::ReportArrives(const CReportPlan& plan, bool bOnItsOwn, std::vector<CSimAction>& actions)
{
    const std::string strHex = EncodeStatusReport(plan);
    CJsonFields fields;
    fields.Add("event", "report").Add("mr", plan.nMr).Add("number", plan.strRecipient).Add("status", plan.nStatus);
    unsigned nOctets = 0;
    GetTpduOctets(strHex, nOctets);
    unsigned nIndex = 0;
    std::string strCode;
    if (m_nReportMode == 1) {
        strCode = "+CDS: " + std::to_string(nOctets) + "\r\n" + strHex;
    } else if (m_store.Add("SM", strHex, 0, nIndex)) {
        fields.Add("storage", "SM").Add("index", nIndex);
        if (m_nReportMode == 2)
            strCode = "+CDSI: \"SM\"," + std::to_string(nIndex);
    } else {
        fields.Add("full", true);
    }
    Log(fields.Text(), actions);
    actions.push_back({CSimAction::PRINT, "Delivery report on the message to " + plan.strRecipient + " (ref " +
                                              std::to_string(plan.nMr) + "), status " + std::to_string(plan.nStatus)});
    if (strCode.empty())
        return;
    if (bOnItsOwn)
        Announce(strCode, actions);
    else if (m_nCnmiMode)
        m_strPendingUrc += "\r\n" + strCode + "\r\n";
}

// A message from the network, part by part: stored in its memory and
// announced with "+CMTI:" (<mt> 1) or quietly (<mt> 0), or passed on with
// "+CMT:" (<mt> 2, 3). A full memory takes no more.
void CSimPhone::MessageArrives(const CIncomingPlan& plan, std::vector<CSimAction>& actions)
{
    std::vector<std::string> pdus;
    std::string strError;
    EncodeIncoming(plan, pdus, strError);  // checked when the file was read; generated ones encode
    const std::string strMem = plan.strStorage == "ME" ? "ME" : "SM";
    for (unsigned i = 0; i < pdus.size(); ++i) {
        CJsonFields fields;
        fields.Add("event", "incoming").Add("number", plan.strSender).Add("part", i + 1);
        fields.Add("parts", static_cast<unsigned>(pdus.size()));
        unsigned nIndex = 0;
        std::string strCode;
        if (m_nMessageMode >= 2) {
            unsigned nOctets = 0;
            GetTpduOctets(pdus[i], nOctets);
            strCode = "+CMT: ," + std::to_string(nOctets) + "\r\n" + pdus[i];
        } else if (m_store.Add(strMem, pdus[i], 0, nIndex)) {
            fields.Add("storage", strMem).Add("index", nIndex);
            if (m_nMessageMode == 1)
                strCode = "+CMTI: \"" + strMem + "\"," + std::to_string(nIndex);
        } else {
            fields.Add("full", true);
        }
        Log(fields.Add("pdu", pdus[i]).Text(), actions);
        if (!strCode.empty())
            Announce(strCode, actions);
    }
    actions.push_back({CSimAction::PRINT, "Incoming message from " + plan.strSender + ": " + OneLine(plan.strText)});
}

void CSimPhone::Announce(const std::string& strCode, std::vector<CSimAction>& actions)
{
    if (!m_bPortOpen || !m_nCnmiMode || m_bSilent)
        return;
    m_strHeld += "\r\n" + strCode + "\r\n";
    if (!m_bInPdu)
        ReleaseHeld(actions);
}

void CSimPhone::ReleaseHeld(std::vector<CSimAction>& actions)
{
    const std::string strLines = m_strHeld;
    m_strHeld.clear();
    if (strLines.empty())
        return;
    actions.push_back({CSimAction::SEND, strLines, 0});
    Log(CJsonFields().Add("event", "announce").Add("text", strLines).Text(), actions);
    if (m_options.bVerbose)
        actions.push_back({CSimAction::PRINT, "< " + Visible(strLines)});
}

void CSimPhone::Tick(std::vector<CSimAction>& actions)
{
    CSimEvent event;
    while (!m_bHungUp && m_network.TakeDue(m_clock(), event)) {
        if (event.nKind == CSimEvent::MESSAGE)
            MessageArrives(event.message, actions);
        else if (event.nKind == CSimEvent::REPORT)
            ReportArrives(event.report, true, actions);
        else if (event.nKind == CSimEvent::UNPLUG)
            Unplug(actions);
        else
            Replug(actions);
    }
}

void CSimPhone::PortOpened(std::vector<CSimAction>& actions)
{
    m_bToldOfOpens = true;
    if (m_bPortOpen || m_bUnplugged)
        return;
    m_bPortOpen = true;
    m_network.Start(m_clock());
    Log(CJsonFields().Add("event", "port").Add("open", true).Text(), actions);
}

void CSimPhone::PortClosed(std::vector<CSimAction>& actions)
{
    m_bToldOfOpens = true;
    if (!m_bPortOpen)
        return;
    m_bPortOpen = false;
    m_strLine.clear();
    m_strHeld.clear();
    if (!m_habits.bKeepsCnmi) {
        m_strCnmi = "0,0,0,0,0";
        m_nCnmiMode = m_nMessageMode = m_nReportMode = 0;
    }
    Log(CJsonFields().Add("event", "port").Add("open", false).Text(), actions);
}

// The phone lives on without its cable: what arrives is stored, and what was
// half typed is lost.
void CSimPhone::Unplug(std::vector<CSimAction>& actions)
{
    PortClosed(actions);
    m_bUnplugged = true;
    m_bInPdu = m_bLeftPdu = false;
    m_strPendingUrc.clear();
    Log(CJsonFields().Add("event", "unplug").Add("for_s", m_options.nUnplugFor).Text(), actions);
    actions.push_back({CSimAction::PRINT, "Cable pulled for " + std::to_string(m_options.nUnplugFor) + " s"});
    actions.push_back({CSimAction::UNPLUG, std::string()});
}

void CSimPhone::Replug(std::vector<CSimAction>& actions)
{
    m_bUnplugged = false;
    Log(CJsonFields().Add("event", "replug").Text(), actions);
    actions.push_back({CSimAction::PRINT, "Cable back"});
    actions.push_back({CSimAction::PLUG, std::string()});
}

void CSimPhone::AddUnsolicited(const std::string& strName, CReply& reply)
{
    reply.strUnsolicited += m_strPendingUrc;
    m_strPendingUrc.clear();
    const unsigned nCount = m_counts[strName];
    for (const CUnsolicitedRule& rule : m_options.unsolicited) {
        bool bNow = rule.strWhen == "*" || (rule.strWhen == strName && (!rule.nOccurrence || rule.nOccurrence == nCount));
        if (rule.strWhen == "RANDOM")
            bNow = m_random() % 2 == 0;
        if (bNow)
            reply.strUnsolicited += "\r\n" + rule.strText + "\r\n";
    }
    if (!reply.quirk.strUnsolicited.empty())
        reply.strUnsolicited += "\r\n" + reply.quirk.strUnsolicited + "\r\n";
}

bool CSimPhone::FindFailure(const std::string& strName, std::string& strFinal, bool* pbTaken)
{
    const unsigned nCount = ++m_counts[strName];
    for (const CFailRule& rule : m_options.fails) {
        if (rule.strCommand != strName || (rule.nOccurrence && rule.nOccurrence != nCount))
            continue;
        strFinal = !rule.strText.empty()         ? rule.strText
                   : rule.nCode < 0              ? std::string("ERROR")
                   : IsSmsCommand(strName) ? "+CMS ERROR: " + std::to_string(rule.nCode)
                                           : "+CME ERROR: " + std::to_string(rule.nCode);
        if (pbTaken)
            *pbTaken = rule.bTaken;
        return true;
    }
    return false;
}

void CSimPhone::OnPduByte(char ch, std::vector<CSimAction>& actions)
{
    if (ch == kCtrlZ) {
        OnPduEnd(actions);
        return;
    }
    if (ch == kEsc) {
        m_bInPdu = false;
        CJsonFields fields;
        fields.Add("event", "abort").Add("command", m_strPduCommand).Add("pdu", m_strPdu);
        if (m_bLeftPdu)
            fields.Add("left_at_prompt", true);
        m_bLeftPdu = false;
        Log(fields.Text(), actions);
        CReply reply;
        reply.strName = "ESC";
        reply.strFinal = "OK";
        Emit(reply, actions);
        ReleaseHeld(actions);
        return;
    }
    if (ch == '\r' || ch == '\n')
        return;
    if (m_strPdu.size() < kMaxPdu)
        m_strPdu += ch;
    // Half of the announced PDU has come when the line drops.
    if (m_options.nHangupInPdu > 0 && m_nPdus == static_cast<unsigned>(m_options.nHangupInPdu) &&
        m_strPdu.size() == m_nPduLength + 1u)
        Hangup("pdu", actions);
}

void CSimPhone::OnPduEnd(std::vector<CSimAction>& actions)
{
    m_bInPdu = false;
    CJsonFields fields;
    fields.Add("event", "pdu").Add("command", m_strPduCommand).Add("length", m_nPduLength).Add("pdu", m_strPdu);
    const bool bLeft = m_bLeftPdu;
    m_bLeftPdu = false;
    if (bLeft)
        fields.Add("left_at_prompt", true);
    unsigned nOctets = 0;
    const bool bCounted = GetTpduOctets(m_strPdu, nOctets);
    if (bCounted)
        fields.Add("octets", nOctets);
    const bool bLengthOk = bCounted && nOctets == m_nPduLength;
    fields.Add("length_ok", bLengthOk);
    CSubmitInfo info;
    std::string strError;
    const bool bValid = DecodeSubmit(m_strPdu, info, strError);
    fields.Add("valid", bValid);
    if (bValid) {
        fields.Add("number", info.strNumber).Add("dcs", info.nDcs).Add("alphabet", info.strAlphabet);
        if (info.bConcatenated)
            fields.Add("ref", info.nRef).Add("part", info.nPart).Add("parts", info.nParts);
        fields.Add("text", info.strText);
    } else {
        fields.Add("error", strError);
    }

    CReply reply;
    if (!bLeft)
        reply.quirk = ChooseQuirk("PDU", actions);
    reply.strCommand = m_strPdu;
    reply.strName = "PDU";
    if (m_bEcho)
        reply.strEcho = m_strPdu;
    bool bTaken = false;  // refused in words, yet sent on (a network time-out)
    if (bLeft) {
        // No length was announced: whatever came is no PDU. Not counted for --error PDU@N.
        reply.strFinal = "+CMS ERROR: 304";
        fields.Add("reply", reply.strFinal);
    } else if (FindFailure("PDU", reply.strFinal, &bTaken) &&
               !(bTaken && bLengthOk && bValid && m_strPduCommand == "AT+CMGS")) {
        fields.Add("reply", reply.strFinal);
    } else if (bTaken) {
        m_nMr = (m_nMr + 1) % 256;
        fields.Add("reply", reply.strFinal).Add("mr", m_nMr);
    } else if (!bLengthOk || !bValid) {
        reply.strFinal = "+CMS ERROR: 304";  // invalid PDU mode parameter
        fields.Add("reply", reply.strFinal);
    } else if ((reply.quirk.bSilent || !reply.quirk.strFinal.empty()) && !reply.quirk.bTakenAnyway) {
        // Not taken: a silent phone has not passed the message on either.
        reply.strFinal = reply.quirk.strFinal;
        fields.Add("reply", reply.strFinal);
    } else if (m_strPduCommand == "AT+CMGS") {
        // A network that timed out may have the message all the same: it
        // has its reference, which the phone never tells.
        m_nMr = (m_nMr + 1) % 256;
        if (reply.quirk.bTakenAnyway) {
            reply.strFinal = reply.quirk.strFinal;
            fields.Add("reply", reply.strFinal);
        } else {
            reply.info.push_back("+CMGS: " + std::to_string(m_nMr));
            reply.strFinal = "OK";
        }
        fields.Add("mr", m_nMr);
        ++m_nMessages;
        std::string strLine = "Message " + std::to_string(m_nMessages) + " to " + info.strNumber;
        if (info.bConcatenated)
            strLine += " (part " + std::to_string(info.nPart) + "/" + std::to_string(info.nParts) + ", ref " +
                       std::to_string(info.nRef) + ")";
        actions.push_back({CSimAction::PRINT, strLine + ": " + OneLine(info.strText)});
    } else {
        ++m_nStored;
        reply.info.push_back("+CMGW: " + std::to_string(m_nStored));
        reply.strFinal = "OK";
        fields.Add("index", m_nStored);
        actions.push_back({CSimAction::PRINT, "Stored message " + std::to_string(m_nStored) + " to " +
                                                  info.strNumber + ": " + OneLine(info.strText)});
    }
    Log(fields.Text(), actions);
    AddUnsolicited("PDU", reply);
    if (reply.strFinal == "OK" && m_strPduCommand == "AT+CMGS" && AsksForReport(m_strPdu))
        ReportOn(info, actions);
    if (!reply.quirk.bSilent)
        Emit(reply, actions, m_options.nPduDelayMs + reply.quirk.nDelayMs);
    ReleaseHeld(actions);
}

// Verbose result codes: information text and the final code each framed by
// CR LF. The bursts follow the options: the echo alone, the prompt late, the
// final code alone, each burst cut in pieces. A silent phone may babble
// instead.
void CSimPhone::Emit(const CReply& reply, std::vector<CSimAction>& actions, unsigned nFirstDelayMs)
{
    if (m_bSilent) {
        if (m_options.nBabble != CSimOptions::BABBLE_NONE) {
            const std::string strBabble = m_options.nBabble == CSimOptions::BABBLE_OK   ? std::string("\r\nOK\r\n")
                                          : m_options.nBabble == CSimOptions::BABBLE_BLANK ? std::string("\r\n")
                                                                                          : reply.strCommand;
            actions.push_back({CSimAction::REPEAT, strBabble, m_options.nGapMs});
            Log(CJsonFields().Add("event", "babble").Add("text", strBabble).Text(), actions);
        }
        return;
    }
    ++m_nAnswers;
    unsigned nBursts = 0, nPieces = 0;
    std::string strBurst, strAll;
    unsigned nDelayMs = 0;
    for (const CSimPiece& piece : Pieces(reply, nFirstDelayMs, actions)) {
        if (piece.bBurst && !strBurst.empty()) {
            Send(strBurst, nDelayMs, actions, nPieces);
            strBurst.clear();
        }
        if (piece.bBurst) {
            nDelayMs = piece.nDelayMs;
            ++nBursts;
        }
        strBurst += piece.strText;
        strAll += piece.strText;
    }
    if (!strBurst.empty())
        Send(strBurst, nDelayMs, actions, nPieces);
    if (!strAll.empty()) {
        CJsonFields fields;
        fields.Add("event", "reply").Add("text", strAll).Add("bursts", nBursts);
        if (m_options.nSplitSeed)
            fields.Add("pieces", nPieces);
        Log(fields.Text(), actions);
        if (m_options.bVerbose)
            actions.push_back({CSimAction::PRINT, "< " + Visible(strAll)});
    }
}

std::vector<CSimPiece> CSimPhone::Pieces(const CReply& reply, unsigned nFirstDelayMs, std::vector<CSimAction>& actions)
{
    const bool bSplitEcho = m_habits.bSplitEcho || reply.quirk.bSplitEcho;
    const bool bLateOk = m_habits.bLateOk || reply.quirk.bLateOk;
    std::vector<CSimPiece> pieces;
    bool bBreak = false;  // a new burst begins with the next piece, nBreakMs later
    unsigned nBreakMs = 0;
    auto add = [&](const std::string& strText, bool bOpen) {
        if (strText.empty())
            return;
        CSimPiece piece;
        piece.strText = strText;
        piece.bBurst = pieces.empty() || bBreak;
        piece.nDelayMs = (pieces.empty() ? nFirstDelayMs : 0) + (bBreak ? nBreakMs : 0);
        piece.bOpen = bOpen;
        pieces.push_back(piece);
        bBreak = false;
    };
    std::string strKinds;  // the family's habits used, logged with its name
    add(reply.strEcho, false);
    if (bSplitEcho && !pieces.empty()) {
        bBreak = true;
        nBreakMs = m_options.nGapMs;
        strKinds = m_family.bSplitEcho ? "split-echo" : "";
    }
    add(reply.strUnsolicited, false);
    for (size_t i = 0; i < reply.info.size(); ++i)
        add((i == 0 ? "\r\n" : "") + reply.info[i] + "\r\n", IsPduHead(reply.info[i]));
    if (!reply.strRaw.empty() && m_options.nPromptDelayMs + reply.quirk.nPromptDelayMs) {
        bBreak = true;
        nBreakMs = m_options.nPromptDelayMs + reply.quirk.nPromptDelayMs;
    }
    add(reply.strRaw, true);
    if (!reply.strFinal.empty() && bLateOk && !pieces.empty() && !bBreak) {
        bBreak = true;
        nBreakMs = m_options.nGapMs;
        if (m_family.bLateOk)
            strKinds += strKinds.empty() ? "late-ok" : " late-ok";
    }
    if (!reply.strFinal.empty())
        add("\r\n" + reply.strFinal + "\r\n", false);

    auto quirk = [&](const std::string& strKind) {
        CJsonFields fields;
        fields.Add("event", "quirk").Add("command", reply.strName).Add("kinds", strKind);
        fields.Add("profile", m_habits.pszFamily);
        return fields;
    };
    if (!strKinds.empty())
        Log(quirk(strKinds).Text(), actions);
    for (const CSimProfileLine& line :
         m_profile.Decorate(pieces, !reply.strEcho.empty(), m_nAnswers, m_card.GetStateText(), m_options.nGapMs))
        Log(quirk(line.pszKind).Add("text", line.strLine).Text(), actions);
    return pieces;
}

// A burst whole, or with --split-random in pieces, the first after the burst's own pause.
void CSimPhone::Send(const std::string& strBurst, unsigned nDelayMs, std::vector<CSimAction>& actions,
                     unsigned& nPieces)
{
    if (!m_options.nSplitSeed) {
        actions.push_back({CSimAction::SEND, strBurst, nDelayMs});
        ++nPieces;
        return;
    }
    for (const auto& piece : m_splitter.Cut(strBurst)) {
        actions.push_back({CSimAction::SEND, piece.first, piece.second ? piece.second : nDelayMs});
        ++nPieces;
    }
}

void CSimPhone::Log(const std::string& strFields, std::vector<CSimAction>& actions)
{
    actions.push_back({CSimAction::LOG, strFields});
}

void CSimPhone::Hangup(const char* pszWhere, std::vector<CSimAction>& actions)
{
    m_bHungUp = true;
    Log(CJsonFields().Add("event", "hangup").Add("during", pszWhere).Text(), actions);
    actions.push_back({CSimAction::PRINT, std::string("Disconnected (") + pszWhere + ")"});
    actions.push_back({CSimAction::HANGUP, std::string()});
}
