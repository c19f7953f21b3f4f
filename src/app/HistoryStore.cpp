#include "app/HistoryStore.h"

#include "base/ErrorCodes.h"
#include "base/MultiSz.h"

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

bool IsZeroAt(const std::vector<uint8_t>& data, size_t nChar)
{
    return data[2 * nChar] == 0 && data[2 * nChar + 1] == 0;
}

// Where each element of the list data begins (in characters) and, last, where
// its final zero is. False for data with an empty string inside (the reader
// skips it) or none at all, which must be written anew first.
bool FindElements(const std::vector<uint8_t>& data, std::vector<size_t>& starts)
{
    starts.clear();
    const size_t nChars = data.size() / 2;
    if (nChars == 0)
        return false;
    size_t nStart = 0;
    for (size_t i = 0; i + 1 < nChars; ++i) {
        if (!IsZeroAt(data, i))
            continue;
        if (i == nStart)
            return false;
        starts.push_back(nStart);
        nStart = i + 1;
    }
    starts.push_back(nStart);
    return nStart == nChars - 1 && IsZeroAt(data, nStart);
}

// The records that stay, counted from the newest: as many as both limits
// allow, and the newest at least. starts as FindElements gives them.
size_t CountKept(const std::vector<size_t>& starts)
{
    const size_t nRecords = (starts.size() - 1) / kHistoryRecordElements;
    size_t nKept = 0;
    size_t cbKept = sizeof(uint16_t);  // the list's final zero
    while (nKept < nRecords && nKept < CHistoryStore::kMaxRecords) {
        const size_t nFirst = (nRecords - nKept - 1) * kHistoryRecordElements;
        const size_t cbRecord = 2 * (starts[nFirst + kHistoryRecordElements] - starts[nFirst]);
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

// The history is megabytes: it is changed as the bytes it is stored as, and
// only the records that go to the archive are decoded.
uint32_t CHistoryStore::Append(const CHistoryRecord& record, uint32_t& dwArchiveError)
{
    dwArchiveError = kErrorSuccess;
    bool bWhole = true;
    const uint32_t dwError = m_list.UpdateData(kValue, [&](std::vector<uint8_t>& data) {
        std::vector<size_t> starts;
        if (!FindElements(data, starts)) {
            std::vector<WString> aList;
            DecodeMultiSz(data.data(), data.size(), aList);
            data = EncodeMultiSz(aList);
            FindElements(data, starts);
        }
        bWhole = (starts.size() - 1) % kHistoryRecordElements == 0;
        if (!bWhole)
            return false;  // the records after a stray element would be read askew
        // The record's elements in place of the final zero, which ends them.
        const std::vector<WString> aRecord = HistoryToList(record);
        data.resize(data.size() - 2);
        starts.pop_back();
        for (const WString& strElement : aRecord) {
            starts.push_back(data.size() / 2);
            const std::vector<uint8_t> abElement = EncodeMultiSz({strElement});
            data.insert(data.end(), abElement.begin(), abElement.end() - 2);
        }
        starts.push_back(data.size() / 2);
        data.push_back(0);
        data.push_back(0);
        const size_t nDropped = (starts.size() - 1) / kHistoryRecordElements - CountKept(starts);
        if (nDropped == 0)
            return true;
        const size_t cbDropped = 2 * starts[nDropped * kHistoryRecordElements];
        std::vector<uint8_t> abOld(data.begin(), data.begin() + static_cast<ptrdiff_t>(cbDropped));
        abOld.push_back(0);
        abOld.push_back(0);
        std::vector<WString> aOld;
        DecodeMultiSz(abOld.data(), abOld.size(), aOld);
        dwArchiveError = m_folder.AppendToFile(kArchiveFile, FormatHistoryArchive(HistoryFromList(aOld)));
        if (dwArchiveError == kErrorSuccess)
            data.erase(data.begin(), data.begin() + static_cast<ptrdiff_t>(cbDropped));
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
