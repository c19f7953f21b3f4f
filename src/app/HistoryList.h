// The history as the History window reads it: the list value's data kept as
// they were read, a record's fields decoded when the record is asked for, so
// that a window opens on ten thousand records without making forty thousand
// strings first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/MultiSz.h"
#include "app/HistoryRecord.h"

class CHistoryList {
public:
    CHistoryList() : m_pData(std::make_shared<const std::vector<uint8_t>>()) {}
    // The data of a whole list value (CListStore::ReadData): its whole
    // records, as HistoryFromList reads the elements.
    explicit CHistoryList(std::shared_ptr<const std::vector<uint8_t>> pData);

    size_t GetCount() const { return m_aElements.size() / kHistoryRecordElements; }
    // Oldest first.
    CHistoryRecord Get(size_t nRecord) const;
    std::vector<CHistoryRecord> GetAll() const;

private:
    struct CElement {
        uint32_t nStart;  // in characters: a value's data are at most 4 GB
        uint32_t nLength;
    };

    std::shared_ptr<const std::vector<uint8_t>> m_pData;  // never null
    std::vector<CElement> m_aElements;  // the whole records' elements
};
