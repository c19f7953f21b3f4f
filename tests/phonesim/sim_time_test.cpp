// What the simulated phone says over time, on a simulated clock: the
// announcements each AT+CNMI setting asks for, the options that bring
// messages and reports, a family without AT+CNMI, a close of the port and
// the cable pulled.
#include <gtest/gtest.h>

#include "SimPhone.h"

namespace {

// A report asked for, to 0123456789.
const char kSubmitAndCtrlZ[] = "0031F10A8110325476980000AA02C834\x1A";

// The input at a second of the phone's clock (a command line, a PDU, or
// "<open>" and "<close>" of the port) and what goes out on the wire at that
// second: what fell due, then the answer. PDU lines show as <pdu>, the cable
// as <unplug> and <plug>; nullptr: not looked at.
struct CStep {
    unsigned nSecond;
    const char* pszInput;
    const char* pszWire;
};

struct CScenario {
    const char* pszName;
    std::vector<std::string> args;
    std::vector<CStep> steps;
};

std::string Shown(const std::vector<CSimAction>& actions)
{
    std::string out;
    for (const CSimAction& action : actions) {
        if (action.nKind == CSimAction::UNPLUG || action.nKind == CSimAction::PLUG)
            out += action.nKind == CSimAction::UNPLUG ? "<unplug>" : "<plug>";
        if (action.nKind != CSimAction::SEND)
            continue;
        const std::string& str = action.strData;
        for (size_t nAt = 0; nAt < str.size();) {
            const size_t nEnd = std::min(str.find("\r\n", nAt), str.size());
            const std::string strLine = str.substr(nAt, nEnd - nAt);
            const bool bPdu = strLine.size() > 20 && strLine.find_first_not_of("0123456789ABCDEF") == std::string::npos;
            out += (bPdu ? "<pdu>" : strLine) + str.substr(nEnd, 2);
            nAt = nEnd + 2;
        }
    }
    return out;
}

const CScenario kScenarios[] = {
    {"nothing before AT+CNMI, then +CMTI; AT+CMGR reads and marks read",
     {"--incoming-at", "1,3"},
     {{0, "AT", "\r\nOK\r\n"},
      {1, "", ""},
      {2, "AT+CNMI=2,1,0,2,0", "\r\nOK\r\n"},
      {3, "", "\r\n+CMTI: \"SM\",2\r\n"},
      {4, "AT+CMGR=2", "\r\n+CMGR: 0,,99\r\n<pdu>\r\n\r\nOK\r\n"},
      {4, "AT+CMGR=2", "\r\n+CMGR: 1,,99\r\n<pdu>\r\n\r\nOK\r\n"},
      {4, "AT+CMGL=0", "\r\n+CMGL: 1,0,,47\r\n<pdu>\r\n\r\nOK\r\n"},
      {4, "AT+CMGR=3", "\r\n+CMS ERROR: 321\r\n"}}},
    {"<mt> 2 and <ds> 1 pass them on without storing",
     {"--incoming-at", "1", "--report-after", "2"},
     {{0, "AT+CNMI=2,2,0,1,0", "\r\nOK\r\n"},
      {0, "AT+CMGS=15", "\r\n> "},
      {0, kSubmitAndCtrlZ, "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
      {1, "", "\r\n+CMT: ,47\r\n<pdu>\r\n"},
      {2, "", "\r\n+CDS: 24\r\n<pdu>\r\n"},
      {3, "AT+CMGL=4", "\r\nOK\r\n"}}},
    {"--report-after: stored and announced with +CDSI on its own",
     {"--report-after", "5"},
     {{0, "AT+CNMI=2,1,0,2,0", "\r\nOK\r\n"},
      {0, "AT+CMGS=15", "\r\n> "},
      {0, kSubmitAndCtrlZ, "\r\n+CMGS: 1\r\n\r\nOK\r\n"},
      {4, "AT", "\r\nOK\r\n"},
      {5, "", "\r\n+CDSI: \"SM\",1\r\n"},
      {5, "AT+CMGR=1", "\r\n+CMGR: 0,,24\r\n<pdu>\r\n\r\nOK\r\n"}}},
    {"no-cnmi: ERROR to every form; the message waits for AT+CMGL",
     {"--profile", "no-cnmi", "--incoming-at", "1"},
     {{0, "AT+CNMI=2,1,0,2,0", "\r\nERROR\r\n"},
      {0, "AT+CNMI?", "\r\nERROR\r\n"},
      {0, "AT+CNMI=?", "\r\nERROR\r\n"},
      {1, "", ""},
      {2, "AT+CMGL=0", "\r\n+CMGL: 1,0,,47\r\n<pdu>\r\n\r\nOK\r\n"}}},
    {"--incoming-every 10 over a minute: the third message of the round in two parts",
     {"--incoming-every", "10"},
     {{0, "AT+CNMI=2,1,0,0,0", "\r\nOK\r\n"},
      {9, "", ""},
      {10, "", "\r\n+CMTI: \"SM\",1\r\n"},
      {30, "", "\r\n+CMTI: \"SM\",2\r\n\r\n+CMTI: \"SM\",3\r\n\r\n+CMTI: \"SM\",4\r\n"},
      {60, "", "\r\n+CMTI: \"SM\",5\r\n\r\n+CMTI: \"SM\",6\r\n\r\n+CMTI: \"SM\",7\r\n\r\n+CMTI: \"SM\",8\r\n"},
      {60, "AT+CPMS?", "\r\n+CPMS: \"SM\",8,30,\"ME\",0,100,\"SM\",8,30\r\n\r\nOK\r\n"}}},
    {"an announcement due while a PDU is typed comes after its answer",
     {"--incoming-at", "1"},
     {{0, "AT+CNMI=2,1,0,2,0", "\r\nOK\r\n"},
      {0, "AT+CMGS=15", "\r\n> "},
      {1, "", ""},
      {1, kSubmitAndCtrlZ, "\r\n+CMGS: 1\r\n\r\nOK\r\n\r\n+CMTI: \"SM\",1\r\n"}}},
    {"a close of the port forgets AT+CNMI",
     {"--incoming-at", "1"},
     {{0, "AT+CNMI=2,1,0,2,0", "\r\nOK\r\n"},
      {0, "<close>", ""},
      {0, "<open>", ""},
      {1, "", ""},
      {1, "AT+CNMI?", "\r\n+CNMI: 0,0,0,0,0\r\n\r\nOK\r\n"}}},
    {"the module keeps it",
     {"--profile", "module", "--sim-busy", "0", "--incoming-at", "1"},
     {{0, "AT", nullptr},
      {0, "AT", nullptr},
      {0, "AT", nullptr},
      {0, "AT+CNMI=2,1,0,2,0", "\r\nOK\r\n"},
      {0, "<close>", ""},
      {0, "<open>", ""},
      {1, "", "\r\n+CMTI: \"SM\",1\r\n"}}},
    {"the cable pulled: deaf meanwhile, the message stored, listed when the port is back",
     {"--incoming-at", "7", "--unplug-at", "5", "--unplug-for", "5"},
     {{0, "AT+CNMI=2,1,0,2,0", "\r\nOK\r\n"},
      {5, "", "<unplug>"},
      {6, "<open>", ""},
      {6, "AT", ""},
      {7, "", ""},
      {10, "", "<plug>"},
      {10, "<open>", ""},
      {10, "AT+CMGL=0", "\r\n+CMGL: 1,0,,47\r\n<pdu>\r\n\r\nOK\r\n"}}},
};

TEST(SimTime, AnnouncementsOnTheWire)
{
    for (const CScenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.pszName);
        CSimOptions options;
        std::vector<std::string> args = scenario.args;
        args.push_back("--no-echo");
        std::string strError;
        ASSERT_TRUE(ParseSimOptions(args, options, strError)) << strError;
        CSimPhonebook phonebook;
        CSimPhone phone(options, phonebook);
        long long nNowMs = 0;
        phone.SetClock([&nNowMs] { return nNowMs; });
        std::vector<CSimAction> actions;
        phone.PortOpened(actions);
        for (const CStep& step : scenario.steps) {
            nNowMs = step.nSecond * 1000LL;
            actions.clear();
            phone.Tick(actions);
            const std::string strInput = step.pszInput;
            if (strInput == "<open>") {
                phone.PortOpened(actions);
            } else if (strInput == "<close>") {
                phone.PortClosed(actions);
            } else if (!strInput.empty()) {
                for (char ch : strInput + "\r")
                    phone.Receive(ch, actions);
            }
            if (step.pszWire) {
                EXPECT_EQ(Shown(actions), step.pszWire) << "at " << step.nSecond << " s: " << step.pszInput;
            }
        }
    }
}

} // namespace
