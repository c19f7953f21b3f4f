// The list store's view of the settings key in the program: the registry
// calls on the key that start-up opened, and the named mutex that every
// process of the program in the user's session holds across a change of a
// list, the window and the console tool alike; in front of them the key's
// copies of the list values (CSettingsKey::GetListCache).
#pragma once

#include <windows.h>

#include "base/CachedListKey.h"
#include "base/ListKey.h"
#include "base/NamedLock.h"
#include "base/Settings.h"

class CSettingsListKey : public CListKey {
public:
    explicit CSettingsListKey(CSettingsKey& key = GetSettingsKey())
        : m_registry(key), m_cached(m_registry, key.GetListCache())
    {
    }

    uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override
    {
        return m_cached.QueryValue(strName, dwType, pbData, cbData);
    }
    uint32_t ReadData(const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data, bool bForChange) override
    {
        return m_cached.ReadData(strName, dwType, data, bForChange);
    }
    uint32_t ReadShared(const WString& strName, uint32_t& dwType,
                        std::shared_ptr<const std::vector<uint8_t>>& pData) override
    {
        return m_cached.ReadShared(strName, dwType, pData);
    }
    uint32_t SetMultiSz(const WString& strName, std::vector<uint8_t>& data) override
    {
        return m_cached.SetMultiSz(strName, data);
    }
    uint32_t DeleteValue(const WString& strName) override { return m_cached.DeleteValue(strName); }
    uint32_t Lock(uint32_t dwTimeoutMs) override { return m_cached.Lock(dwTimeoutMs); }
    void Unlock() override { m_cached.Unlock(); }

    static const wchar_t kMutexName[];  // "Local\Zandu SMS settings"

private:
    // The registry itself.
    class CRegistry : public CListKey {
    public:
        explicit CRegistry(CSettingsKey& key) : m_key(key) {}

        uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override;
        uint32_t SetMultiSz(const WString& strName, std::vector<uint8_t>& data) override;
        uint32_t DeleteValue(const WString& strName) override;
        uint32_t Lock(uint32_t dwTimeoutMs) override;
        void Unlock() override;

    private:
        CSettingsKey& m_key;
        CNamedLock m_lock{"settings"};  // kMutexName
    };

    CRegistry m_registry;
    CCachedListKey m_cached;
};
