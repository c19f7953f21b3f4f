// What a port test learns of the phone besides its maker, from questions a
// phone may refuse ("AT+CGMM", "AT+CPIN?", "AT+CSQ", "AT+CREG?",
// "AT+CSCA?"), and the words the status line and the console tool give it.
#pragma once

#include <string>

struct CDeviceInfo {
    std::string strMaker;
    std::string strModel;      // empty: not told
    std::string strSim;        // "ready", "PIN required", ...; empty: not told
    int nSignal = -1;          // 0 (no signal) to 5 bars; -1: not told
    std::string strNetwork;    // "registered (home)", "roaming", ...; empty: not told
    bool bScaKnown = false;    // the service centre was told (strSca may still be empty: none set)
    std::string strSca;
};

// "; model: X; SIM: ready; signal 3 of 5; network: registered (home);
// service centre: +4917010000", the parts that were told, each after "; ".
std::string DescribeDevice(const CDeviceInfo& info);

// The answers' information lines. False when the line is no such answer.
bool ParseSimState(const std::string& strLine, std::string& strState);      // "+CPIN: SIM PIN" -> "PIN required"
bool ParseSignal(const std::string& strLine, int& nBars);                    // "+CSQ: 20,99" -> 4
bool ParseRegistration(const std::string& strLine, std::string& strState);  // "+CREG: 0,5" -> "roaming"
bool ParseServiceCentre(const std::string& strLine, std::string& strNumber); // "+CSCA: \"+49..\",145"
// The SIM's state from the error that refused "AT+CPIN?" ("not inserted",
// "busy"); empty for another error.
std::string SimStateOfError(const std::string& strLine);
