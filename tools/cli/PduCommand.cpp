// zandusms-cli pdu: prints, for every part of a message, the two lines the
// program writes to the phone: "AT+CMGS=<len>" and the PDU.
#include <cstdio>

#include "cli/Cli.h"
#include "cli/CommandTable.h"
#include "app/SendInput.h"
#include "sms/Msg.h"
#include "sms/Pdu.h"

namespace {

const char kPduUsage[] = "usage: zandusms-cli pdu [--ref N] (--to NUMBER | NUMBER) (--text TEXT | --file PATH | TEXT)";

} // namespace

static int RunPdu(CArgs& args)
{
    std::string strTo, strText8, strFile, strRef;
    const bool bTo = args.Option("to", strTo);
    const bool bText = args.Option("text", strText8);
    const bool bFile = args.Option("file", strFile);
    const bool bRef = args.Option("ref", strRef);
    std::vector<std::string> positionals;
    std::string strError;
    if (!args.Positionals(positionals, strError)) {
        PrintError(strError);
        return kExitUsage;
    }
    // The number and the text, each from its option or else from the next
    // positional argument.
    size_t nNext = 0;
    bool bUsage = false;
    if (!bTo) {
        bUsage = nNext == positionals.size();
        strTo = bUsage ? std::string() : positionals[nNext++];
    }
    if (bText && bFile) {
        bUsage = true;
    } else if (!bText && !bFile) {
        bUsage = bUsage || nNext == positionals.size();
        strText8 = nNext == positionals.size() ? std::string() : positionals[nNext++];
    }
    if (bUsage || nNext != positionals.size()) {
        PrintError(kPduUsage);
        return kExitUsage;
    }
    uint32_t nRef = 0;
    const int nExit = bRef ? ParseNumberOption("ref", strRef, 1, 255, nRef) : kExitOk;
    if (nExit != kExitOk)
        return nExit;
    WString strText;
    if (bFile) {
        if (!ReadText(strFile, strText, strError)) {
            PrintError(strError);
            return kExitInput;
        }
    } else {
        strText = Utf8ToWide(strText8);
    }
    const WString strNumber = Utf8ToWide(strTo);
    if (!CheckNumber(strNumber, strError) || !CheckText(strText, strError)) {
        PrintError(strError);
        return kExitInput;
    }

    CMsg msg(strText, WString(), strNumber);
    if (bRef)
        msg.m_dwRef = nRef;
    do {
        std::string strPdu;
        msg.BuildPdu(strPdu);
        PrintLine("AT+CMGS=" + std::to_string(GetTpduLength(strPdu)));
        PrintLine(strPdu);
        msg.NextPart();
    } while (!msg.IsComplete());
    return kExitOk;
}

const CCliCommand kPduCommands[] = {
    {ECliSection::SEC_OTHER, 10, "pdu", nullptr,
      "  pdu [--ref N] (--to NUMBER | NUMBER) (--text TEXT | --file PATH | TEXT)\n"
      "      Print, for every part of the message, the \"AT+CMGS=<len>\" line and the\n"
      "      PDU line exactly as they are written to the phone. --ref sets the\n"
      "      message reference (1-255; the program starts at 241).\n",
     RunPdu},
};
ZANDU_CLI_COMMANDS(kPduCommands);
