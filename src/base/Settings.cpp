#include "base/Settings.h"

#include "base/Util.h"

namespace {

WString Widen(const char* pszName)
{
    return AnsiToWide(pszName);
}

bool IsStringType(DWORD dwType)
{
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ;
}

// Copies every value of hFrom into hTo (the settings key has no subkeys).
void CopyValues(HKEY hFrom, HKEY hTo)
{
    EnumRegValues(hFrom, [hTo](const CEnumValue& value) {
        RegSetValueExW(hTo, value.strName.c_str(), 0, value.dwType, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    });
}

} // namespace

CSettingsValue::CSettingsValue(CSettingsKey& key, const char* pszName) : m_key(key), m_strName(Widen(pszName))
{
}

WString CSettingsValue::ReadString() const
{
    DWORD dwType = 0, cbSize = 0;
    if (RegQueryValueExW(m_key.GetHandle(), m_strName.c_str(), nullptr, &dwType, nullptr, &cbSize) != ERROR_SUCCESS ||
        !IsStringType(dwType) || cbSize % 2 != 0)  // not a whole number of characters
        return WString();
    std::vector<wchar_t> buf(cbSize / 2 + 1, L'\0');
    DWORD cbRead = 2 * (cbSize / 2);
    if (RegQueryValueExW(m_key.GetHandle(), m_strName.c_str(), nullptr, &dwType, reinterpret_cast<BYTE*>(buf.data()),
                         &cbRead) != ERROR_SUCCESS)
        return WString();
    // Text that lacks its terminating zero is malformed.
    if (!IsStringType(dwType) || cbRead % 2 != 0 || (cbRead > 0 && buf[cbRead / 2 - 1] != L'\0'))
        return WString();
    return buf.data();
}

LONG CSettingsValue::WriteString(const WString& strValue) const
{
    return RegSetValueExW(m_key.GetHandle(), m_strName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(strValue.c_str()),
                          static_cast<DWORD>(2 * strValue.size() + 2));
}

bool CSettingsValue::ReadBool(bool bDefault) const
{
    DWORD dwValue = 0, dwType = 0, cbValue = sizeof(dwValue);
    if (RegQueryValueExW(m_key.GetHandle(), m_strName.c_str(), nullptr, &dwType, reinterpret_cast<BYTE*>(&dwValue),
                         &cbValue) != ERROR_SUCCESS ||
        dwType != REG_DWORD || cbValue != sizeof(dwValue))
        return bDefault;
    return dwValue != 0;
}

LONG CSettingsValue::WriteBool(bool bValue) const
{
    const DWORD dwValue = bValue ? 1 : 0;
    return RegSetValueExW(m_key.GetHandle(), m_strName.c_str(), 0, REG_DWORD,
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
    const REGSAM samReadWrite = KEY_READ | KEY_WRITE;
    const wchar_t* pszSubKey = location.strSubKey.c_str();
    HKEY hKey = nullptr;
    DWORD dwDisposition = 0;
    if (location.fnCreateKey(location.hMachineRoot, pszSubKey, samReadWrite, &hKey, &dwDisposition) ==
        ERROR_SUCCESS) {
        SetHandle(hKey);
        return ERROR_SUCCESS;
    }
    const LONG lResult = location.fnCreateKey(location.hUserRoot, pszSubKey, samReadWrite, &hKey, &dwDisposition);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    SetHandle(hKey);
    HKEY hMachine = nullptr;
    if (dwDisposition == REG_CREATED_NEW_KEY &&
        location.fnOpenKey(location.hMachineRoot, pszSubKey, KEY_READ, &hMachine) == ERROR_SUCCESS) {
        const CRegKey machine(hMachine);
        CopyValues(machine, hKey);
    }
    return ERROR_SUCCESS;
}

LONG CSettingsKey::OpenForReading(const CSettingsLocation& location)
{
    const struct {
        HKEY hRoot;
        REGSAM sam;
    } tries[] = {{location.hMachineRoot, KEY_READ | KEY_WRITE},
                 {location.hUserRoot, KEY_READ},
                 {location.hMachineRoot, KEY_READ}};
    LONG lResult = ERROR_FILE_NOT_FOUND;
    for (const auto& t : tries) {
        HKEY hKey = nullptr;
        lResult = location.fnOpenKey(t.hRoot, location.strSubKey.c_str(), t.sam, &hKey);
        if (lResult == ERROR_SUCCESS) {
            SetHandle(hKey);
            return ERROR_SUCCESS;
        }
    }
    return lResult;
}

void CSettingsKey::SetHandle(HKEY hKey)
{
    m_hKey.Reset(hKey);
    m_watch.SetKey(hKey);
    m_lists.Clear();
}

CSettingsKey& GetSettingsKey()
{
    static CSettingsKey key;
    return key;
}
