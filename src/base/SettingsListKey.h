// The list store's view of the settings key in the program: the registry
// calls on the user's key that start-up opened (or, for the move of an
// earlier version's values, the machine-wide one), and the named mutex that
// every process of the program in the user's session holds across a change
// of a list, the window and the console tool alike; in front of the user's
// key its copies of the list values (CSettingsKey::GetListCache).
#pragma once

#include <windows.h>

#include "base/CachedListKey.h"
#include "base/ListKey.h"
#include "base/NamedLock.h"
#include "base/Settings.h"

class CSettingsListKey : public CListKey {
public:
    explicit CSettingsListKey(CSettingsKey& key = GetSettingsKey(), bool bMachine = false)
        : m_registry(key, bMachine), m_cached(m_registry, key.GetListCache()),
          m_front(bMachine ? static_cast<CListKey&>(m_registry) : m_cached)
    {
    }

    uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override
    {
        return m_front.QueryValue(strName, dwType, pbData, cbData);
    }
    uint32_t ReadData(const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data, bool bForChange) override
    {
        return m_front.ReadData(strName, dwType, data, bForChange);
    }
    uint32_t ReadShared(const WString& strName, uint32_t& dwType,
                        std::shared_ptr<const std::vector<uint8_t>>& pData) override
    {
        return m_front.ReadShared(strName, dwType, pData);
    }
    uint32_t SetValue(const WString& strName, uint32_t dwType, std::vector<uint8_t>& data) override
    {
        return m_front.SetValue(strName, dwType, data);
    }
    uint32_t DeleteValue(const WString& strName) override { return m_front.DeleteValue(strName); }
    uint32_t Lock(uint32_t dwTimeoutMs) override { return m_front.Lock(dwTimeoutMs); }
    void Unlock() override { m_front.Unlock(); }

    static const wchar_t kMutexName[];  // "Local\Zandu SMS settings"

private:
    // The registry itself.
    class CRegistry : public CListKey {
    public:
        CRegistry(CSettingsKey& key, bool bMachine) : m_key(key), m_bMachine(bMachine) {}

        uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override;
        uint32_t SetValue(const WString& strName, uint32_t dwType, std::vector<uint8_t>& data) override;
        uint32_t DeleteValue(const WString& strName) override;
        uint32_t Lock(uint32_t dwTimeoutMs) override;
        void Unlock() override;

    private:
        HKEY Key() const { return m_bMachine ? m_key.GetMachineHandle() : m_key.GetHandle(); }

        CSettingsKey& m_key;
        bool m_bMachine;
        CNamedLock m_lock{"settings"};  // kMutexName
    };

    CRegistry m_registry;
    CCachedListKey m_cached;  // the user's key's copies, which the machine-wide key has none of
    CListKey& m_front;        // m_cached, or the machine-wide key's registry itself
};
