// Prints the PDUs the simulator holds for the program, for the system test
// that reads them with python3-gammu (tests/system/test_sim_incoming.py):
//
//   sim_pdu_dump FILE                      one line per PDU: <message number> <hex>
//   sim_pdu_dump --report MR NUMBER STATUS a status report, taken 2024-05-17T14:03:09+02:00
//                                          and discharged 11 s later
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SimDeliver.h"
#include "SimIncoming.h"

int main(int argc, char** argv)
{
    if (argc == 5 && std::string(argv[1]) == "--report") {
        CReportPlan plan;
        plan.nMr = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 0));
        plan.strRecipient = argv[3];
        plan.nStatus = static_cast<unsigned>(std::strtoul(argv[4], nullptr, 0));
        ParseSimTime("2024-05-17T14:03:09+02:00", plan.scts);
        ParseSimTime("2024-05-17T14:03:20+02:00", plan.discharge);
        std::printf("%s\n", EncodeStatusReport(plan).c_str());
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: sim_pdu_dump FILE | --report MR NUMBER STATUS\n");
        return 2;
    }
    std::vector<CIncomingPlan> messages;
    std::string strError;
    if (!LoadIncoming(argv[1], messages, strError)) {
        std::fprintf(stderr, "%s\n", strError.c_str());
        return 1;
    }
    for (size_t i = 0; i < messages.size(); ++i) {
        std::vector<std::string> pdus;
        EncodeIncoming(messages[i], pdus, strError);
        for (const std::string& strPdu : pdus)
            std::printf("%zu %s\n", i + 1, strPdu.c_str());
    }
    return 0;
}
