// The history of sent messages: its list value in the settings and, for the
// records it can no longer hold, the archive file in the user's application
// data folder. The list keeps the newest records, at most kMaxRecords of them
// in at most kMaxBytes, so a send reads and writes at most 4 MiB of it
// however long the texts are; an older record leaves the list only after it
// has been appended to the archive and flushed to the disk, so none is lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/DataFolder.h"
#include "base/ListStore.h"
#include "app/HistoryList.h"
#include "app/HistoryRecord.h"

class CHistoryStore {
public:
    static constexpr size_t kMaxRecords = 10000;
    // Of the stored value (UTF-16, each element with its zero, and the final
    // zero): what 10,000 records of one full SMS each take, so only long
    // texts make it count. The newest record stays whatever its size.
    static constexpr size_t kMaxBytes = 4 * 1024 * 1024;
    static const WChar kArchiveFile[];  // "history-archive.txt"

    CHistoryStore(CListKey& key, CDataFolder& folder) : m_list(key), m_folder(folder) {}

    // Whole records, oldest first; none when the value is damaged.
    std::vector<CHistoryRecord> Read() const;
    // The same for the History window, each record decoded when it is shown.
    CHistoryList ReadList() const;
    // Appends a record. kErrorInvalidData when the value is not a whole list
    // of whole records: it is then left as it is. When the list passes
    // kMaxRecords or kMaxBytes, the oldest records beyond them are appended
    // to the archive and only then dropped; when the archive cannot be
    // written they stay, and dwArchiveError says why (else it is kErrorSuccess).
    uint32_t Append(const CHistoryRecord& record, uint32_t& dwArchiveError);

private:
    CListStore m_list;
    CDataFolder& m_folder;
};

// The records as the archive holds them, UTF-8 with CR LF line ends: each a
// block of four labelled lines ("Name: ", "Number: ", "Time: ", "Text: ")
// and an empty line. A line break inside a field (CR LF, a lone CR or LF)
// goes on a new line that begins with a tab, so no field line is ever empty
// and every empty line ends a record.
std::string FormatHistoryArchive(const std::vector<CHistoryRecord>& records);
