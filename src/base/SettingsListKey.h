// The list store's view of the settings key in the program: the registry
// calls on the key that start-up opened, and the named mutex that every
// process of the program in the user's session holds across a change of a
// list, the window and the console tool alike.
#pragma once

#include <windows.h>

#include "base/ListKey.h"
#include "base/NamedLock.h"
#include "base/Settings.h"

class CSettingsListKey : public CListKey {
public:
    explicit CSettingsListKey(CSettingsKey& key = GetSettingsKey()) : m_key(key) {}

    uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override;
    uint32_t SetMultiSz(const WString& strName, const std::vector<uint8_t>& data) override;
    uint32_t DeleteValue(const WString& strName) override;
    uint32_t Lock(uint32_t dwTimeoutMs) override;
    void Unlock() override;

    static const wchar_t kMutexName[];  // "Local\Zandu SMS settings"

private:
    CSettingsKey& m_key;
    CNamedLock m_lock{"settings"};  // kMutexName
};
