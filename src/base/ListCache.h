// What this process last read or wrote of the settings' list values, kept so
// that a list of megabytes (the history) is not read from the registry again
// for every record appended and every window that shows it. A copy is used
// only while nobody else can have changed the key since it was taken: the
// key's watch sees every change of the key, by any process and of any value.
// A change this process makes under the settings' lock keeps the other
// copies, since no one else can change a list while the lock is held.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "base/ListKey.h"
#include "base/Text.h"

// How a cache learns that its key may have changed.
class CKeyWatch {
public:
    virtual ~CKeyWatch() {}

    // Watches anew from now; false when the key cannot be watched.
    virtual bool Watch() = 0;
    // Whether the key may have changed since Watch, by anyone (this process too).
    virtual bool HasChanged() = 0;
    // Tells the other processes' watches of a change this one made.
    virtual void Announce() = 0;
};

class CListCache {
public:
    explicit CListCache(CKeyWatch& watch) : m_watch(watch) {}
    CListCache(const CListCache&) = delete;
    CListCache& operator=(const CListCache&) = delete;

    // As CListKey::ReadData and ReadShared: from the copy while it is
    // current (handed over for a change when nobody shares it), else from
    // key, whose data are then kept.
    uint32_t ReadData(CListKey& key, const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data,
                      bool bForChange);
    uint32_t ReadShared(CListKey& key, const WString& strName, uint32_t& dwType,
                        std::shared_ptr<const std::vector<uint8_t>>& pData);
    // As CListKey::SetValue and DeleteValue, through key. bLocked: the
    // caller holds the settings' lock (else every copy goes).
    uint32_t SetValue(CListKey& key, const WString& strName, uint32_t dwType, std::vector<uint8_t>& data,
                      bool bLocked);
    uint32_t DeleteValue(CListKey& key, const WString& strName, bool bLocked);
    // Forgets every copy (another key behind the same cache).
    void Clear();

private:
    struct CValue {
        uint32_t dwType;
        std::shared_ptr<std::vector<uint8_t>> pData;  // shared with readers, who only read them
    };

    // Each with m_mutex held.
    void KeepCurrent();
    uint32_t Change(const WString& strName, bool bLocked, uint32_t dwType, std::vector<uint8_t>* pData,
                    const std::function<uint32_t()>& fnChange);

    CKeyWatch& m_watch;
    std::mutex m_mutex;
    bool m_bWatching = false;  // the copies are current while nothing changed since
    std::map<WString, CValue> m_values;
};
