#include "SimStore.h"

#include <algorithm>
#include <ctime>

#include "SimPdu.h"

bool CSimStore::Load(const std::vector<CIncomingPlan>& messages, std::string& strError)
{
    for (size_t i = 0; i < messages.size(); ++i) {
        std::vector<std::string> pdus;
        if (!EncodeIncoming(messages[i], pdus, strError)) {
            strError = "message " + std::to_string(i + 1) + ": " + strError;
            return false;
        }
        const std::string strStorage = messages[i].strStorage == "ME" ? "ME" : "SM";
        for (const std::string& strHex : pdus) {
            unsigned nIndex = 0;
            if (!Add(strStorage, strHex, messages[i].bRead ? 1 : 0, nIndex)) {
                strError = "message " + std::to_string(i + 1) + ": the storage " + strStorage + " is full";
                return false;
            }
        }
    }
    return true;
}

bool CSimStore::Add(const std::string& strStorage, const std::string& strHex, unsigned nStat, unsigned& nIndex)
{
    const std::string strMem = strStorage == "ME" ? "ME" : "SM";
    for (nIndex = 1; nIndex <= GetCapacity(strMem); ++nIndex) {
        if (Find(strMem, nIndex))
            continue;
        CStoredPdu pdu;
        pdu.strStorage = strMem;
        pdu.nIndex = nIndex;
        pdu.nStat = nStat;
        pdu.strHex = strHex;
        GetTpduOctets(strHex, pdu.nTpduOctets);
        m_pdus.push_back(pdu);
        std::stable_sort(m_pdus.begin(), m_pdus.end(), [](const CStoredPdu& a, const CStoredPdu& b) {
            return a.strStorage != b.strStorage ? a.strStorage == "SM" : a.nIndex < b.nIndex;
        });
        return true;
    }
    return false;
}

bool CSimStore::IsIn(const CStoredPdu& pdu, const std::string& strStorage) const
{
    return strStorage == "MT" || pdu.strStorage == strStorage;
}

unsigned CSimStore::ListedIndex(const CStoredPdu& pdu, const std::string& strStorage) const
{
    return strStorage == "MT" && pdu.strStorage == "ME" ? pdu.nIndex + kSimCapacity : pdu.nIndex;
}

CStoredPdu* CSimStore::Find(const std::string& strStorage, unsigned nIndex)
{
    for (CStoredPdu& pdu : m_pdus) {
        if (IsIn(pdu, strStorage) && ListedIndex(pdu, strStorage) == nIndex)
            return &pdu;
    }
    return nullptr;
}

unsigned CSimStore::GetUsed(const std::string& strStorage) const
{
    return static_cast<unsigned>(
        std::count_if(m_pdus.begin(), m_pdus.end(), [&](const CStoredPdu& pdu) { return IsIn(pdu, strStorage); }));
}

unsigned CSimStore::GetCapacity(const std::string& strStorage) const
{
    return strStorage == "SM" ? kSimCapacity : strStorage == "ME" ? kPhoneCapacity : kSimCapacity + kPhoneCapacity;
}

std::vector<std::string> CSimStore::List(const std::string& strStorage, unsigned nStat)
{
    std::vector<std::string> lines;
    for (CStoredPdu& pdu : m_pdus) {
        if (!IsIn(pdu, strStorage) || (nStat != 4 && pdu.nStat != nStat))
            continue;
        AddLines(pdu, "+CMGL: " + std::to_string(ListedIndex(pdu, strStorage)) + ",", lines);
    }
    return lines;
}

bool CSimStore::Read(const std::string& strStorage, unsigned nIndex, std::vector<std::string>& lines)
{
    CStoredPdu* pPdu = Find(strStorage, nIndex);
    if (!pPdu)
        return false;
    AddLines(*pPdu, "+CMGR: ", lines);
    return true;
}

void CSimStore::AddLines(CStoredPdu& pdu, const std::string& strHead, std::vector<std::string>& lines)
{
    lines.push_back(strHead + std::to_string(pdu.nStat) + ",," + std::to_string(pdu.nTpduOctets));
    lines.push_back(pdu.strHex);
    if (pdu.nStat == 0)
        pdu.nStat = 1;
}

bool CSimStore::Delete(const std::string& strStorage, unsigned nIndex)
{
    const CStoredPdu* pFound = Find(strStorage, nIndex);
    if (!pFound)
        return false;
    m_pdus.erase(m_pdus.begin() + (pFound - m_pdus.data()));
    return true;
}

void CSimStore::DeleteAll(const std::string& strStorage)
{
    m_pdus.erase(std::remove_if(m_pdus.begin(), m_pdus.end(),
                                [&](const CStoredPdu& pdu) { return IsIn(pdu, strStorage); }),
                 m_pdus.end());
}

CSimTime CurrentSimTime()
{
    return SimTimeOf(std::time(nullptr));
}

CSimTime SimTimeOf(std::time_t when)
{
    std::tm tm = {};
    gmtime_r(&when, &tm);
    CSimTime time;
    time.nYear = tm.tm_year + 1900;
    time.nMonth = tm.tm_mon + 1;
    time.nDay = tm.tm_mday;
    time.nHour = tm.tm_hour;
    time.nMinute = tm.tm_min;
    time.nSecond = std::min(tm.tm_sec, 59);
    return time;
}
