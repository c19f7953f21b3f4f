#include "SimPhone.h"

#include <cctype>
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

} // namespace

CSimPhone::CSimPhone(const CSimOptions& options, const CSimPhonebook& phonebook, CSimStore& store)
    : m_options(options),
      m_phonebook(phonebook),
      m_store(store),
      m_bEcho(options.bEcho),
      m_bSilent(options.nSilentAfter == 0),
      m_quirks(options.nQuirkSeed)
{
}

void CSimPhone::Receive(char ch, std::vector<CSimAction>& actions)
{
    if (m_bHungUp)
        return;
    if (m_bInPdu) {
        OnPduByte(ch, actions);
        return;
    }
    if (ch == '\r') {
        OnCommandLine(actions);
    } else if (ch == '\b') {
        if (!m_strLine.empty())
            m_strLine.pop_back();
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
    if (m_bEcho)
        reply.strEcho = reply.strCommand;
    if (bTooLong)
        reply.strFinal = "ERROR";
    else
        Execute(strLine, reply);
    AddUnsolicited(CommandName(strLine), reply);
    if (!reply.quirk.bSilent)
        Emit(reply, actions);
}

CQuirk CSimPhone::ChooseQuirk(const std::string& strName, std::vector<CSimAction>& actions)
{
    if (!m_options.nQuirkSeed)
        return CQuirk();
    CQuirk quirk = m_quirks.Choose(strName);
    if (!quirk.strKinds.empty())
        Log(CJsonFields().Add("event", "quirk").Add("command", strName).Add("kinds", quirk.strKinds).Text(), actions);
    return quirk;
}

void CSimPhone::Execute(const std::string& strLine, CReply& reply)
{
    const std::string strName = CommandName(strLine);
    if (strName.compare(0, 2, "AT") != 0) {
        reply.strFinal = "ERROR";
        return;
    }
    // The arguments after '='.
    const size_t nEnd = strLine.find_first_of("=?");
    const std::string strTail = nEnd == std::string::npos ? std::string() : strLine.substr(nEnd);
    const std::string strArgs = strTail.size() > 1 && strTail[0] == '=' ? strTail.substr(1) : std::string();
    if (FindFailure(strName, reply.strFinal))
        return;

    reply.strFinal = "OK";
    if (strName == "AT" && strTail.empty())
        return;
    if ((strName == "ATE0" || strName == "ATE") && strTail.empty()) {
        m_bEcho = false;
        return;
    }
    if (strName == "ATE1" && strTail.empty()) {
        m_bEcho = true;
        return;
    }
    if (strName == "AT+CGMI" && strTail.empty()) {
        reply.info.push_back(m_options.strMaker);
        return;
    }
    if (strName == "AT+CMGF") {
        // PDU mode only.
        if (strTail == "=0")
            return;
        if (strTail == "?") {
            reply.info.push_back("+CMGF: 0");
            return;
        }
        if (strTail == "=?") {
            reply.info.push_back("+CMGF: (0)");
            return;
        }
    }
    if (strName == "AT+CSCS") {
        ECharset charset;
        if (strTail == "?") {
            reply.info.push_back(std::string("+CSCS: \"") + CharsetName(m_charset) + "\"");
            return;
        }
        if (strTail == "=?") {
            reply.info.push_back("+CSCS: (\"IRA\",\"GSM\",\"UCS2\",\"UTF-8\")");
            return;
        }
        if (ParseCharset(strArgs, charset)) {
            m_charset = charset;
            return;
        }
    }
    if (strName == "AT+CMGS" || strName == "AT+CMGW") {
        // AT+CMGW may name a status after the length.
        const std::string strLength = strArgs.substr(0, strName == "AT+CMGW" ? strArgs.find(',') : std::string::npos);
        unsigned n = 0;
        if (ParseUnsigned(strLength, n) && n >= 1 && n <= 255) {
            m_bInPdu = true;
            m_strPduCommand = strName;
            m_nPduLength = n;
            m_strPdu.clear();
            ++m_nPdus;
            reply.strFinal.clear();
            reply.strRaw = "\r\n> ";
            return;
        }
    }
    if (strName == "AT+CPBS" || strName == "AT+CPBR") {
        ExecutePhonebook(strName, strTail, reply);
        return;
    }
    if (ExecuteStorage(strName, strTail, reply))
        return;
    reply.info.clear();
    reply.strFinal = "ERROR";
}

void CSimPhone::ExecutePhonebook(const std::string& strName, const std::string& strTail, CReply& reply)
{
    const unsigned nCapacity = m_phonebook.m_nCapacity;
    if (strName == "AT+CPBS") {
        if (strTail == "?")
            reply.info.push_back("+CPBS: \"SM\"," + std::to_string(m_phonebook.m_entries.size()) + "," +
                                 std::to_string(nCapacity));
        else if (strTail == "=?")
            reply.info.push_back("+CPBS: (\"SM\")");
        else if (Upper(strTail) != "=\"SM\"")
            reply.strFinal = "ERROR";
        return;
    }
    if (strTail == "=?") {
        reply.info.push_back("+CPBR: (1-" + std::to_string(nCapacity) + "),40,24");
        return;
    }
    const std::string strArgs = strTail.size() > 1 && strTail[0] == '=' ? strTail.substr(1) : std::string();
    const size_t nComma = strArgs.find(',');
    unsigned nFirst = 0, nLast = 0;
    const bool bOk = ParseUnsigned(strArgs.substr(0, nComma), nFirst) &&
                     (nComma == std::string::npos ? (nLast = nFirst, true)
                                                  : ParseUnsigned(strArgs.substr(nComma + 1), nLast));
    if (!bOk) {
        reply.strFinal = "ERROR";
        return;
    }
    if (nFirst < 1 || nFirst > nLast || nLast > nCapacity) {
        reply.strFinal = "+CME ERROR: 21";  // invalid index
        return;
    }
    // Empty locations are skipped.
    for (auto it = m_phonebook.m_entries.lower_bound(nFirst); it != m_phonebook.m_entries.end() && it->first <= nLast; ++it)
        reply.info.push_back(FormatEntry(it->first, it->second, m_charset));
    if (reply.info.empty() && m_options.bEmptyRangeNotFound)
        reply.strFinal = "+CME ERROR: 22";  // not found
}

bool CSimPhone::ExecuteStorage(const std::string& strName, const std::string& strTail, CReply& reply)
{
    const std::string strArgs = strTail.size() > 1 && strTail[0] == '=' ? strTail.substr(1) : std::string();
    auto status = [this](const std::string& strMem) {
        return std::to_string(m_store.GetUsed(strMem)) + "," + std::to_string(m_store.GetCapacity(strMem));
    };
    unsigned n = 0;
    if (strName == "AT+CPMS") {
        if (strTail == "?")
            reply.info.push_back("+CPMS: \"" + m_strMem1 + "\"," + status(m_strMem1) + ",\"ME\"," + status("ME") +
                                 ",\"SM\"," + status("SM"));
        else if (strTail == "=?")
            reply.info.push_back("+CPMS: (\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\"),(\"SM\",\"ME\",\"MT\")");
        else
            SelectStorage(strArgs, reply);
        return true;
    }
    if (strName == "AT+CMGL") {
        // Without a stat: the unread ones, as 27.005 has it.
        if (strTail == "=?")
            reply.info.push_back("+CMGL: (0-4)");
        else if (strTail.empty() || (ParseUnsigned(strArgs, n) && n <= 4))
            reply.info = m_store.List(m_strMem1, strTail.empty() ? 0 : n);
        else
            reply.strFinal = "+CMS ERROR: 302";  // text-mode stats in PDU mode
        return true;
    }
    if (strName == "AT+CMGD") {
        const size_t nComma = strArgs.find(',');
        unsigned nFlag = 0;
        if (!ParseUnsigned(strArgs.substr(0, nComma), n) ||
            (nComma != std::string::npos && (!ParseUnsigned(strArgs.substr(nComma + 1), nFlag) || nFlag > 4))) {
            reply.strFinal = "ERROR";
        } else if (nFlag == 4) {  // every message of the storage
            m_store.DeleteAll(m_strMem1);
        } else if (!m_store.Delete(m_strMem1, n)) {
            reply.strFinal = "+CMS ERROR: 321";  // invalid memory index
        }
        return true;
    }
    if (strName == "AT+CNMI") {
        if (strTail == "?") {
            reply.info.push_back("+CNMI: " + m_strCnmi);
        } else if (strTail == "=?") {
            reply.info.push_back("+CNMI: (0-2),(0-3),(0,2),(0-2),(0,1)");
        } else {
            // <mode>,<mt>,<bm>,<ds>,<bfr>: <ds> is what the simulator acts on.
            std::vector<unsigned> values;
            size_t nStart = 0;
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
                m_nReportMode = values.size() >= 4 ? values[3] : 0;
            }
        }
        return true;
    }
    return false;
}

// AT+CPMS=<mem1>[,<mem2>[,<mem3>]]: the listings and deletions go to <mem1>.
void CSimPhone::SelectStorage(const std::string& strArgs, CReply& reply)
{
    std::vector<std::string> names;
    size_t nStart = 0;
    for (;;) {
        const size_t nComma = strArgs.find(',', nStart);
        names.push_back(StorageName(strArgs.substr(nStart, nComma - nStart)));
        if (nComma == std::string::npos)
            break;
        nStart = nComma + 1;
    }
    for (const std::string& strName : names) {
        if (names.size() > 3 || !CSimStore::IsStorage(strName)) {
            reply.strFinal = "+CMS ERROR: 302";  // operation not allowed
            return;
        }
    }
    m_strMem1 = names[0];
    auto status = [this](const std::string& strMem) {
        return std::to_string(m_store.GetUsed(strMem)) + "," + std::to_string(m_store.GetCapacity(strMem));
    };
    reply.info.push_back("+CPMS: " + status(m_strMem1) + "," + status("ME") + "," + status("SM"));
}

// The network's report on a message that asked for one: stored in "SM" and
// announced with "+CDSI:" (<ds> 2) or quietly (<ds> 0), or passed on with
// "+CDS:" (<ds> 1). It comes before the phone's next reply.
void CSimPhone::ReportOn(const CSubmitInfo& info, std::vector<CSimAction>& actions)
{
    CReportPlan plan;
    plan.nMr = m_nMr;
    plan.strRecipient = info.strNumber;
    plan.scts = CurrentSimTime();
    plan.discharge = plan.scts;
    plan.nStatus = m_options.nReportStatus;
    const std::string strHex = EncodeStatusReport(plan);
    CJsonFields fields;
    fields.Add("event", "report").Add("mr", m_nMr).Add("number", info.strNumber).Add("status", plan.nStatus);
    unsigned nOctets = 0;
    GetTpduOctets(strHex, nOctets);
    unsigned nIndex = 0;
    if (m_nReportMode == 1) {
        m_strPendingUrc += "\r\n+CDS: " + std::to_string(nOctets) + "\r\n" + strHex + "\r\n";
    } else if (m_store.Add("SM", strHex, 0, nIndex)) {
        fields.Add("storage", "SM").Add("index", nIndex);
        if (m_nReportMode == 2)
            m_strPendingUrc += "\r\n+CDSI: \"SM\"," + std::to_string(nIndex) + "\r\n";
    }
    Log(fields.Text(), actions);
    actions.push_back({CSimAction::PRINT, "Delivery report on message " + std::to_string(m_nMessages) + " (ref " +
                                              std::to_string(m_nMr) + "), status " + std::to_string(plan.nStatus)});
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

bool CSimPhone::FindFailure(const std::string& strName, std::string& strFinal)
{
    const unsigned nCount = ++m_counts[strName];
    for (const CFailRule& rule : m_options.fails) {
        if (rule.strCommand != strName || (rule.nOccurrence && rule.nOccurrence != nCount))
            continue;
        strFinal = rule.nCode < 0                ? std::string("ERROR")
                   : IsSmsCommand(strName) ? "+CMS ERROR: " + std::to_string(rule.nCode)
                                           : "+CME ERROR: " + std::to_string(rule.nCode);
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
        Log(CJsonFields().Add("event", "abort").Add("command", m_strPduCommand).Add("pdu", m_strPdu).Text(), actions);
        CReply reply;
        reply.strFinal = "OK";
        Emit(reply, actions);
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
    reply.quirk = ChooseQuirk("PDU", actions);
    reply.strCommand = m_strPdu;
    if (m_bEcho)
        reply.strEcho = m_strPdu;
    if (FindFailure("PDU", reply.strFinal)) {
        fields.Add("reply", reply.strFinal);
    } else if (!bLengthOk || !bValid) {
        reply.strFinal = "+CMS ERROR: 304";  // invalid PDU mode parameter
        fields.Add("reply", reply.strFinal);
    } else if (reply.quirk.bSilent || !reply.quirk.strFinal.empty()) {
        // Not taken: a silent phone has not passed the message on either.
        reply.strFinal = reply.quirk.strFinal;
        fields.Add("reply", reply.strFinal);
    } else if (m_strPduCommand == "AT+CMGS") {
        m_nMr = (m_nMr + 1) % 256;
        reply.info.push_back("+CMGS: " + std::to_string(m_nMr));
        reply.strFinal = "OK";
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
        Emit(reply, actions, m_options.nPduDelayMs);
}

// Verbose result codes: information text and the final code each framed by
// CR LF. The bursts follow the options: the echo alone, the final code alone.
// A silent phone may babble instead.
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
    std::vector<std::string> bursts;
    std::string strBurst = reply.strEcho;
    if ((m_options.bSplitEcho || reply.quirk.bSplitEcho) && !strBurst.empty()) {
        bursts.push_back(strBurst);
        strBurst.clear();
    }
    strBurst += reply.strUnsolicited;
    if (!reply.info.empty()) {
        strBurst += "\r\n";
        for (const std::string& strInfo : reply.info)
            strBurst += strInfo + "\r\n";
    }
    strBurst += reply.strRaw;
    if (!reply.strFinal.empty()) {
        if ((m_options.bLateOk || reply.quirk.bLateOk) && !strBurst.empty()) {
            bursts.push_back(strBurst);
            strBurst.clear();
        }
        strBurst += "\r\n" + reply.strFinal + "\r\n";
    }
    if (!strBurst.empty())
        bursts.push_back(strBurst);
    std::string strAll;
    for (size_t i = 0; i < bursts.size(); ++i) {
        actions.push_back({CSimAction::SEND, bursts[i], i == 0 ? nFirstDelayMs : m_options.nGapMs});
        strAll += bursts[i];
    }
    if (!strAll.empty()) {
        Log(CJsonFields().Add("event", "reply").Add("text", strAll).Add("bursts", static_cast<unsigned>(bursts.size())).Text(),
            actions);
        if (m_options.bVerbose)
            actions.push_back({CSimAction::PRINT, "< " + Visible(strAll)});
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
