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

// The number of elements of the list data. False for data with an empty
// string inside (the reader skips it) or none at all, which must be written
// anew first.
bool CountElements(const std::vector<uint8_t>& data, size_t& nElements)
{
    nElements = 0;
    const size_t nChars = data.size() / 2;
    if (nChars == 0)
        return false;
    size_t nStart = 0;
    for (size_t i = 0; i + 1 < nChars; ++i) {
        if (!IsZeroAt(data, i))
            continue;
        if (i == nStart)
            return false;
        ++nElements;
        nStart = i + 1;
    }
    return nStart == nChars - 1 && IsZeroAt(data, nStart);
}

// The bytes of the oldest records that go, so that the rest keeps to both
// limits (the newest stays whatever its size): 0 when all stay. nRecords
// whole records, each element with its zero, then the final zero.
size_t CountDroppedBytes(const std::vector<uint8_t>& data, size_t nRecords)
{
    size_t cbDropped = 0;
    size_t nChar = 0;
    while (nRecords > 1 &&
           (nRecords > CHistoryStore::kMaxRecords || data.size() - cbDropped > CHistoryStore::kMaxBytes)) {
        for (size_t nZeros = 0; nZeros < kHistoryRecordElements; ++nChar)
            nZeros += IsZeroAt(data, nChar);
        cbDropped = 2 * nChar;
        --nRecords;
    }
    return cbDropped;
}

} // namespace

const WChar CHistoryStore::kArchiveFile[] = WSTR("history-archive.txt");

std::vector<CHistoryRecord> CHistoryStore::Read() const
{
    return ReadList().GetAll();
}

CHistoryList CHistoryStore::ReadList() const
{
    return CHistoryList(m_list.ReadData(kValue));
}

// The history is megabytes: it is changed as the bytes it is stored as, and
// only the records that go to the archive are decoded.
uint32_t CHistoryStore::Append(const CHistoryRecord& record, uint32_t& dwArchiveError)
{
    dwArchiveError = kErrorSuccess;
    bool bWhole = true;
    const uint32_t dwError = m_list.UpdateData(kValue, [&](std::vector<uint8_t>& data) {
        size_t nElements = 0;
        if (!CountElements(data, nElements)) {
            std::vector<WString> aList;
            DecodeMultiSz(data.data(), data.size(), aList);
            data = EncodeMultiSz(aList);
            CountElements(data, nElements);
        }
        bWhole = nElements % kHistoryRecordElements == 0;
        if (!bWhole)
            return false;  // the records after a stray element would be read askew
        // The record's elements in place of the final zero, which ends them.
        const std::vector<uint8_t> abRecord = EncodeMultiSz(HistoryToList(record));
        data.resize(data.size() - 2);
        data.insert(data.end(), abRecord.begin(), abRecord.end());
        const size_t cbDropped = CountDroppedBytes(data, nElements / kHistoryRecordElements + 1);
        if (cbDropped == 0)
            return true;
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
