#include "app/HistoryStore.h"

#include "base/ErrorCodes.h"

namespace {

const WChar kValue[] = WSTR("NewHistory");

void AppendField(std::string& strOut, const char* pszLabel, const WString& strField)
{
    strOut += pszLabel;
    const WString strText = WithCrLf(strField);
    for (size_t nStart = 0;;) {
        const size_t nBreak = strText.find(WSTR("\r\n"), nStart);
        strOut += WideToUtf8(strText.substr(nStart, nBreak - nStart));
        if (nBreak == WString::npos)
            break;
        strOut += "\r\n\t";
        nStart = nBreak + 2;
    }
    strOut += "\r\n";
}

// The records that stay, counted from the newest: as many as both limits
// allow, and the newest at least.
size_t CountKept(const std::vector<WString>& aList)
{
    const size_t nRecords = aList.size() / kHistoryRecordElements;
    size_t nKept = 0;
    size_t cbKept = sizeof(uint16_t);  // the list's final zero
    while (nKept < nRecords && nKept < CHistoryStore::kMaxRecords) {
        const size_t nFirst = (nRecords - nKept - 1) * kHistoryRecordElements;
        size_t cbRecord = 0;
        for (size_t i = nFirst; i < nFirst + kHistoryRecordElements; ++i)
            cbRecord += (aList[i].size() + 1) * sizeof(uint16_t);
        if (nKept > 0 && cbKept + cbRecord > CHistoryStore::kMaxBytes)
            break;
        cbKept += cbRecord;
        ++nKept;
    }
    return nKept;
}

} // namespace

const WChar CHistoryStore::kArchiveFile[] = WSTR("history-archive.txt");

std::vector<CHistoryRecord> CHistoryStore::Read() const
{
    return HistoryFromList(m_list.Read(kValue));
}

uint32_t CHistoryStore::Append(const CHistoryRecord& record, uint32_t& dwArchiveError)
{
    dwArchiveError = kErrorSuccess;
    bool bWhole = true;
    const uint32_t dwError = m_list.Update(kValue, [&](std::vector<WString>& aList) {
        bWhole = aList.size() % kHistoryRecordElements == 0;
        if (!bWhole)
            return false;  // the records after a stray element would be read askew
        const std::vector<WString> aRecord = HistoryToList(record);
        aList.insert(aList.end(), aRecord.begin(), aRecord.end());
        const size_t nDropped = aList.size() / kHistoryRecordElements - CountKept(aList);
        if (nDropped == 0)
            return true;
        const auto itKept = aList.begin() + static_cast<ptrdiff_t>(nDropped * kHistoryRecordElements);
        const std::vector<WString> aOld(aList.begin(), itKept);
        dwArchiveError = m_folder.AppendToFile(kArchiveFile, FormatHistoryArchive(HistoryFromList(aOld)));
        if (dwArchiveError == kErrorSuccess)
            aList.erase(aList.begin(), itKept);
        return true;
    });
    return bWhole ? dwError : kErrorInvalidData;
}

std::string FormatHistoryArchive(const std::vector<CHistoryRecord>& records)
{
    std::string strOut;
    for (const CHistoryRecord& record : records) {
        AppendField(strOut, "Name: ", record.m_strName);
        AppendField(strOut, "Number: ", record.m_strNumber);
        AppendField(strOut, "Time: ", record.m_strTime);
        AppendField(strOut, "Text: ", record.m_strText);
        strOut += "\r\n";
    }
    return strOut;
}
