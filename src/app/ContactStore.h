// The downloaded phone book as the settings keep it, for the window and the
// console tool alike.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ListStore.h"
#include "app/Contact.h"

class CContactStore {
public:
    explicit CContactStore(CListKey& key) : m_list(key) {}

    // None when the value is absent or damaged.
    std::vector<CContact> Load() const;
    // Replaces the stored phone book in one write, so a write that fails
    // leaves the previous one whole; an empty phone book removes the value.
    uint32_t Save(const std::vector<CContact>& contacts);

private:
    CListStore m_list;
};
