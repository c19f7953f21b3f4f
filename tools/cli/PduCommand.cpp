// zandusms-cli pdu: prints, for every part of a message, the two lines the
// program writes to the phone: "AT+CMGS=<len>" and the PDU.
#include <cstdio>

#include "cli/Cli.h"
#include "sms/Msg.h"
#include "sms/Pdu.h"

namespace {

// The refusals shared by every command that sends a text to a number.
bool CheckSendable(const CMsg& msg)
{
    if (!IsValidNumber(msg.m_strNumber)) {
        PrintError("cannot send to '" + WideToUtf8(msg.m_strNumber) +
                   "': a number is 1 to 20 digits, optionally after a '+', with spaces, '-', '.', "
                   "'(' and ')' allowed between them");
        return false;
    }
    if (msg.IsTooLong()) {
        PrintError("the text needs " + std::to_string(msg.GetTotalParts()) + " SMS; at most " +
                   std::to_string(kMaxParts) + " can be sent as one message");
        return false;
    }
    return true;
}

} // namespace

int RunPdu(CArgs& args)
{
    std::string strFile, strRef;
    const bool bFile = args.Option("file", strFile);
    const bool bRef = args.Option("ref", strRef);
    std::vector<std::string> positionals;
    std::string strError;
    if (!args.Positionals(positionals, strError)) {
        PrintError(strError);
        return kExitUsage;
    }
    if (positionals.size() != (bFile ? 1u : 2u)) {
        PrintError("usage: zandusms-cli pdu [--ref N] NUMBER (TEXT | --file PATH)");
        return kExitUsage;
    }
    unsigned long nRef = 0;
    if (bRef && !ParseUnsigned(strRef, 255, nRef)) {
        PrintError("--ref takes a reference number from 1 to 255");
        return kExitUsage;
    }
    if (bRef && nRef == 0) {
        PrintError("--ref takes a reference number from 1 to 255");
        return kExitUsage;
    }
    WString strText;
    if (bFile) {
        if (!ReadText(strFile, strText, strError)) {
            PrintError(strError);
            return kExitInput;
        }
    } else {
        strText = Utf8ToWide(positionals[1]);
    }

    CMsg msg(strText, WString(), Utf8ToWide(positionals[0]));
    if (bRef)
        msg.m_dwRef = nRef;
    if (!CheckSendable(msg))
        return kExitInput;
    const uint8_t btTotal = static_cast<uint8_t>(msg.GetTotalParts());
    do {
        std::string strPdu;
        BuildSubmitPdu(msg.GetPart(), msg.m_strNumber, strPdu, msg.m_btCurSms, btTotal,
                       static_cast<uint8_t>(msg.m_dwRef));
        PrintLine("AT+CMGS=" + std::to_string(GetTpduLength(strPdu)));
        PrintLine(strPdu);
        msg.NextPart();
    } while (!msg.IsComplete());
    return kExitOk;
}
