// The phone's replies about stored messages in PDU mode (3GPP TS 27.005):
// the "+CMGL:" listing, the "+CDS:" and "+CDSI:" status-report lines and the
// "+CPMS?" storage status. Lines come from CReplyLines; the PDUs go to the
// decoders of sms/ unchanged but for the service-centre field (below).
#pragma once

#include <string>
#include <vector>

// One PDU the phone showed: a "+CMGL: <index>,<stat>,[<alpha>],<length>",
// "+CMGR: <stat>,[<alpha>],<length>" or "+CDS: <length>" line and the hex
// line after it.
struct CListedPdu {
    bool bReport = false;  // from "+CDS:": a status report the phone passed on at once
    unsigned nIndex = 0;   // its place in the storage ("+CMGL:" only)
    unsigned nStat = 0;    // 0 received unread, 1 received read, 2 stored unsent, 3 stored sent
    unsigned nLength = 0;  // the TPDU's octets, without the service-centre field
    // The hex line, with the service-centre field the decoders expect: a
    // phone that leaves it out (the line holds exactly <length> octets) gets
    // an empty one ("00") put in front.
    std::string strHex;
    bool bComplete = false;  // false: no hex line came, or it is not hex
    std::string strNote;     // why it is not complete, or that the lengths disagree

    // Whether it is one the phone received (stat 0 or 1), not one it keeps to send.
    bool IsReceived() const { return nStat <= 1; }
};

// Collects the PDUs of a reply line by line. A header line whose hex line is
// missing (another header or the final result code comes instead) still
// gives an entry, marked incomplete, so that nothing the phone listed goes
// unnoticed, and nothing is deleted that was not read.
class CMessageListing {
public:
    CMessageListing() = default;
    // For the answer to "AT+CMGR=<nIndex>", whose "+CMGR: <stat>,[<alpha>],
    // <length>" header names no index.
    explicit CMessageListing(unsigned nReadIndex) : m_nReadIndex(nReadIndex) {}

    // True when the line was a header or the PDU line of this listing.
    bool Feed(const std::string& strLine);
    // Ends a header still waiting for its PDU line (the reply ended).
    void Finish();

    const std::vector<CListedPdu>& GetPdus() const { return m_pdus; }

private:
    void Close(const std::string& strNote);

    std::vector<CListedPdu> m_pdus;
    bool m_bWaiting = false;  // the last entry awaits its PDU line
    unsigned m_nReadIndex = 0;
};

// What the phone announces it has stored: "+CMTI: <mem>,<index>" (a
// message) or "+CDSI: <mem>,<index>" (a status report).
struct CAnnounced {
    std::string strStorage;
    unsigned nIndex = 0;
    bool bReport = false;
};
bool ParseAnnouncement(const std::string& strLine, CAnnounced& announced);

// One storage of "+CPMS: <mem1>,<used1>,<total1>[,<mem2>,<used2>,<total2>[,...]]".
struct CStorageStatus {
    std::string strName;  // "SM", "ME", "MT", ...
    unsigned nUsed = 0;
    unsigned nTotal = 0;
};
// The "+CPMS?" reply line; names quoted or not, blanks anywhere. False
// unless the line holds at least one complete storage.
bool ParseStorageStatus(const std::string& strLine, std::vector<CStorageStatus>& storages);
// The storages to list received messages from: "SM", "ME" and "MT" among
// them that hold messages, each once, in the reply's order. ("MT" is "SM"
// and "ME" together; a PDU listed twice is stored once all the same.)
std::vector<std::string> GetStoragesToRead(const std::vector<CStorageStatus>& storages);
// "AT+CPMS=\"<mem>\"": the memory that the next listing, read or delete is of.
std::string SelectStorageCommand(const std::string& strStorage);
