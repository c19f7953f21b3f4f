// The list values of the settings (REG_MULTI_SZ), read and changed so that
// nothing stored is lost: a value that grew while it was read is read again;
// a value that exists but cannot be decoded whole is never written over by a
// change, so it stays for the user to rescue; every change is one
// read-modify-write under the settings' lock, so two processes changing the
// same list at once both keep their change; every failure is returned.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "base/ListKey.h"
#include "base/Text.h"

class CListStore {
public:
    static constexpr uint32_t kLockTimeoutMs = 5000;  // longer means another process hangs: the change fails rather than the window
    static constexpr int kReadTries = CListKey::kReadTries;
    // Changes the list in place; false when there is nothing to write.
    typedef std::function<bool(std::vector<WString>& aList)> FnChange;
    // Changes the data of a whole list as they are stored; false when there
    // is nothing to write.
    typedef std::function<bool(std::vector<uint8_t>& data)> FnChangeData;

    explicit CListStore(CListKey& key) : m_key(key) {}

    // For showing: the elements, or none when the value is absent, damaged
    // or cannot be read.
    std::vector<WString> Read(const WString& strName) const;
    // For changing: kErrorSuccess with the elements (none when the value is
    // absent or holds only zeros); kErrorInvalidData when it exists but is not
    // a whole list (another type, no final zero, an odd length); else the
    // error of the read.
    uint32_t ReadWhole(const WString& strName, std::vector<WString>& aList) const;
    // For showing a list too long to split into its elements at once (the
    // history): the data of a whole list as stored (ReadWhole's checks), or
    // none when the value is absent, damaged, empty or cannot be read; shared
    // with the key's copy (never null).
    std::shared_ptr<const std::vector<uint8_t>> ReadData(const WString& strName) const;
    // Reads, changes and writes the list while holding the lock. Nothing is
    // written when the lock or the whole list cannot be had (that error is
    // returned) or when fnChange finds nothing to change.
    uint32_t Update(const WString& strName, const FnChange& fnChange);
    // Update for a list too long to split into its elements at every change
    // (the history): fnChange gets the data of a whole list (ReadWhole's
    // checks; no data when the value is absent) and must leave a whole list.
    uint32_t UpdateData(const WString& strName, const FnChangeData& fnChange);
    // Replaces the value as a whole, in one write under the lock (an empty
    // list deletes it): what was there before is never deleted first.
    uint32_t Replace(const WString& strName, const std::vector<WString>& aList);

private:
    CListKey& m_key;
};

// What the status line and the console say about a change that failed:
// "Could not <strWhat>: the stored value is damaged" for kErrorInvalidData,
// else "Could not <strWhat>: " and the system's text (its line end dropped).
WString DescribeStoreFailure(const WString& strWhat, uint32_t dwError, const WString& strSystemText);
