#include "base/Settings.h"

namespace {

WString Widen(const char* pszName)
{
    return AnsiToWide(pszName);
}

bool IsStringType(DWORD dwType)
{
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ;
}

} // namespace

CSettingsValue::CSettingsValue(CSettingsKey& key, const char* pszName, bool bMachine)
    : m_pKey(&key), m_strName(Widen(pszName)), m_bMachine(bMachine)
{
}

HKEY CSettingsValue::Key() const
{
    return m_bMachine ? m_pKey->GetMachineHandle() : m_pKey->GetHandle();
}

bool CSettingsValue::Exists() const
{
    return Key() && RegQueryValueExW(Key(), m_strName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

WString CSettingsValue::ReadString() const
{
    DWORD dwType = 0, cbSize = 0;
    if (RegQueryValueExW(Key(), m_strName.c_str(), nullptr, &dwType, nullptr, &cbSize) != ERROR_SUCCESS ||
        !IsStringType(dwType) || cbSize % 2 != 0)  // not a whole number of characters
        return WString();
    std::vector<wchar_t> buf(cbSize / 2 + 1, L'\0');
    DWORD cbRead = 2 * (cbSize / 2);
    if (RegQueryValueExW(Key(), m_strName.c_str(), nullptr, &dwType, reinterpret_cast<BYTE*>(buf.data()),
                         &cbRead) != ERROR_SUCCESS)
        return WString();
    // Text that lacks its terminating zero is malformed.
    if (!IsStringType(dwType) || cbRead % 2 != 0 || (cbRead > 0 && buf[cbRead / 2 - 1] != L'\0'))
        return WString();
    return buf.data();
}

LONG CSettingsValue::WriteString(const WString& strValue) const
{
    return RegSetValueExW(Key(), m_strName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(strValue.c_str()),
                          static_cast<DWORD>(2 * strValue.size() + 2));
}

bool CSettingsValue::ReadBool(bool bDefault) const
{
    DWORD dwValue = 0, dwType = 0, cbValue = sizeof(dwValue);
    if (RegQueryValueExW(Key(), m_strName.c_str(), nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue),
                         &cbValue) != ERROR_SUCCESS ||
        dwType != REG_DWORD || cbValue != sizeof(dwValue))
        return bDefault;
    return dwValue != 0;
}

LONG CSettingsValue::WriteBool(bool bValue) const
{
    const DWORD dwValue = bValue ? 1 : 0;
    return RegSetValueExW(Key(), m_strName.c_str(), 0, REG_DWORD,
                          reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
}

CSettingsLocation::CSettingsLocation()
    : hMachineRoot(HKEY_LOCAL_MACHINE), hUserRoot(HKEY_CURRENT_USER), strSubKey(L"Software\\Zandu SMS"),
      fnCreateKey([](HKEY hRoot, const wchar_t* pszSubKey, REGSAM sam, HKEY* phKey, DWORD* pdwDisposition) {
          return RegCreateKeyExW(hRoot, pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr, phKey,
                                 pdwDisposition);
      }),
      fnOpenKey([](HKEY hRoot, const wchar_t* pszSubKey, REGSAM sam, HKEY* phKey) {
          return RegOpenKeyExW(hRoot, pszSubKey, 0, sam, phKey);
      })
{
}

CSettingsKey::~CSettingsKey() = default;

LONG CSettingsKey::Open(const CSettingsLocation& location)
{
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    const LONG lResult = location.fnCreateKey(location.hUserRoot, location.strSubKey.c_str(), KEY_READ | KEY_WRITE,
                                              &hKey, &dwDisposition);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    SetHandle(hKey);
    OpenMachine(location);
    return ERROR_SUCCESS;
}

LONG CSettingsKey::OpenForReading(const CSettingsLocation& location)
{
    HKEY hKey = nullptr;
    const LONG lResult = location.fnOpenKey(location.hUserRoot, location.strSubKey.c_str(), KEY_READ, &hKey);
    SetHandle(lResult == ERROR_SUCCESS ? hKey : nullptr);
    const LONG lMachine = OpenMachine(location);
    for (LONG l : {lResult, lMachine}) {
        if (l != ERROR_SUCCESS && l != ERROR_FILE_NOT_FOUND)
            return l;
    }
    return ERROR_SUCCESS;
}

LONG CSettingsKey::OpenMachine(const CSettingsLocation& location)
{
    HKEY hKey = nullptr;
    const LONG lResult = location.fnOpenKey(location.hMachineRoot, location.strSubKey.c_str(), KEY_READ, &hKey);
    SetMachineHandle(lResult == ERROR_SUCCESS ? hKey : nullptr);
    return lResult;
}

void CSettingsKey::SetHandle(HKEY hKey)
{
    m_hKey.Reset(hKey);
    m_watch.SetKey(hKey);
    m_lists.Clear();
}

void CSettingsKey::SetMachineHandle(HKEY hKey)
{
    m_hMachineKey.Reset(hKey);
}

CSettingsKey& GetSettingsKey()
{
    static CSettingsKey key;
    return key;
}
