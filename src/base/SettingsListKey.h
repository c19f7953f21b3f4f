// The list store's view of the settings key in the program: the registry
// calls on the user's key that start-up opened (or, for the move of an
// earlier version's values, the machine-wide one), and the named mutex that
// every process of the program in the user's session holds across a change
// of a list, the window and the console tool alike.
#pragma once

#include <windows.h>

#include "base/ListKey.h"
#include "base/NamedLock.h"
#include "base/Settings.h"

class CSettingsListKey : public CListKey {
public:
    explicit CSettingsListKey(CSettingsKey& key = GetSettingsKey(), bool bMachine = false)
        : m_key(key), m_bMachine(bMachine)
    {
    }

    uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override;
    uint32_t SetValue(const WString& strName, uint32_t dwType, const std::vector<uint8_t>& data) override;
    uint32_t DeleteValue(const WString& strName) override;
    uint32_t Lock(uint32_t dwTimeoutMs) override;
    void Unlock() override;

    static const wchar_t kMutexName[];  // "Local\Zandu SMS settings"

private:
    HKEY Key() const { return m_bMachine ? m_key.GetMachineHandle() : m_key.GetHandle(); }

    CSettingsKey& m_key;
    bool m_bMachine;
    CNamedLock m_lock{"settings"};  // kMutexName
};
