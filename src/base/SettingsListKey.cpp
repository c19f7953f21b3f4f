#include "base/SettingsListKey.h"

#include "base/ErrorCodes.h"

static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND && kErrorAccessDenied == ERROR_ACCESS_DENIED &&
                  kErrorInvalidData == ERROR_INVALID_DATA && kErrorMoreData == ERROR_MORE_DATA &&
                  kErrorWaitTimeout == WAIT_TIMEOUT && kErrorNoMoreItems == ERROR_NO_MORE_ITEMS &&
                  kRegMultiSz == REG_MULTI_SZ,
              "the portable error codes are the system's");

// Local: one lock per user session, where the settings' users run.
const wchar_t CSettingsListKey::kMutexName[] = L"Local\\Zandu SMS settings";

uint32_t CSettingsListKey::CRegistry::QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData,
                                                 uint32_t& cbData)
{
    DWORD dwRegType = 0, cbRegData = cbData;
    const LONG lResult = RegQueryValueExW(Key(), strName.c_str(), nullptr, &dwRegType, pbData, &cbRegData);
    dwType = dwRegType;
    cbData = cbRegData;
    return static_cast<uint32_t>(lResult);
}

uint32_t CSettingsListKey::CRegistry::SetValue(const WString& strName, uint32_t dwType, std::vector<uint8_t>& data)
{
    return static_cast<uint32_t>(
        RegSetValueExW(Key(), strName.c_str(), 0, dwType, data.data(), static_cast<DWORD>(data.size())));
}

uint32_t CSettingsListKey::CRegistry::DeleteValue(const WString& strName)
{
    return static_cast<uint32_t>(RegDeleteValueW(Key(), strName.c_str()));
}

uint32_t CSettingsListKey::CRegistry::Lock(uint32_t dwTimeoutMs)
{
    return m_lock.Lock(dwTimeoutMs);
}

void CSettingsListKey::CRegistry::Unlock()
{
    m_lock.Unlock();
}
