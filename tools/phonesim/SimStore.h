// The simulated phone's message memories as AT+CPMS, AT+CMGL and AT+CMGD see
// them: "SM" (the SIM) and "ME" (the phone), each with its own locations,
// and "MT", both together (the phone's locations numbered after the SIM's).
// Received messages come from the messages file and as they arrive; status
// reports are stored as the network sends them.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "SimDeliver.h"

struct CStoredPdu {
    std::string strStorage;  // "SM" or "ME"
    unsigned nIndex = 0;     // its location in that storage, from 1
    unsigned nStat = 0;      // 0 received unread, 1 received read
    std::string strHex;      // service-centre field first, as listed
    unsigned nTpduOctets = 0;
};

class CSimStore {
public:
    static const unsigned kSimCapacity = 30;
    static const unsigned kPhoneCapacity = 100;

    // Every part of every message, in the file's order; false with the
    // reason when a storage overflows or a message cannot be encoded.
    bool Load(const std::vector<CIncomingPlan>& messages, std::string& strError);
    // A PDU put in the first free location; false when the storage is full.
    bool Add(const std::string& strStorage, const std::string& strHex, unsigned nStat, unsigned& nIndex);

    static bool IsStorage(const std::string& strName) { return strName == "SM" || strName == "ME" || strName == "MT"; }
    unsigned GetUsed(const std::string& strStorage) const;
    unsigned GetCapacity(const std::string& strStorage) const;

    // "+CMGL: <index>,<stat>,,<length>" and the PDU line for every PDU of the
    // storage with that stat (4: all), in location order; the unread become read.
    std::vector<std::string> List(const std::string& strStorage, unsigned nStat);
    // "+CMGR: <stat>,,<length>" and the PDU line of one location, which
    // becomes read; false when it is empty.
    bool Read(const std::string& strStorage, unsigned nIndex, std::vector<std::string>& lines);
    // False when the location is empty.
    bool Delete(const std::string& strStorage, unsigned nIndex);
    void DeleteAll(const std::string& strStorage);

    const std::vector<CStoredPdu>& GetPdus() const { return m_pdus; }

private:
    // The PDU at an index of the storage as AT+CMGL numbers it; null when none.
    CStoredPdu* Find(const std::string& strStorage, unsigned nIndex);
    bool IsIn(const CStoredPdu& pdu, const std::string& strStorage) const;
    unsigned ListedIndex(const CStoredPdu& pdu, const std::string& strStorage) const;
    // The head with the stat and length, then the PDU; an unread one becomes read.
    static void AddLines(CStoredPdu& pdu, const std::string& strHead, std::vector<std::string>& lines);

    std::vector<CStoredPdu> m_pdus;
};

// The simulator's clock as a PDU time stamp: UTC, zone 0.
CSimTime CurrentSimTime();
CSimTime SimTimeOf(std::time_t when);
