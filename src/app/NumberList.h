// The numbers the user typed and sent to, offered again in the number box:
// each once, the most recently used last, the newest kMaxNumbers kept.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ListStore.h"

class CNumberList {
public:
    static constexpr size_t kMaxNumbers = 100;

    explicit CNumberList(CListKey& key) : m_list(key) {}

    // Oldest first; none when the value is damaged.
    std::vector<WString> Read() const;
    // Puts the number at the end (moving it there when it is in the list) and
    // drops the oldest beyond kMaxNumbers. kErrorInvalidData when the value
    // is damaged: it is then left as it is.
    uint32_t Add(const WString& strNumber);

private:
    CListStore m_list;
};
