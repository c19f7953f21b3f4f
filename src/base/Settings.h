// The settings store: the user's registry key, which holds every setting and
// list the program writes, and the machine-wide key, which it only reads for
// what an administrator sets for everyone (SettingsTable); each value read
// and written at the moment it is needed.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "base/ListCache.h"
#include "base/Raii.h"
#include "base/SettingsWatch.h"
#include "base/Text.h"

class CSettingsKey;

// One named value of the user's key (or, for reading, the machine-wide
// one). Reads turn every failure (absent, wrong type, malformed) into the
// default; writes return the Win32 error.
class CSettingsValue {
public:
    CSettingsValue(CSettingsKey& key, const char* pszName, bool bMachine = false);

    bool Exists() const;  // the key holds a value of that name, of any type

    WString ReadString() const;  // REG_SZ or REG_EXPAND_SZ (not expanded); empty on failure
    LONG WriteString(const WString& strValue) const;  // REG_SZ with its terminating zero
    bool ReadBool(bool bDefault) const;  // a 4-byte REG_DWORD: true when not 0
    LONG WriteBool(bool bValue) const;   // REG_DWORD 1 or 0

private:
    HKEY Key() const;

    CSettingsKey* m_pKey;
    WString m_strName;
    bool m_bMachine;
};

// Where the settings live and how their keys are opened. Start-up uses the
// defaults; tests put scratch keys and a refusing opener in their place.
struct CSettingsLocation {
    typedef std::function<LONG(HKEY hRoot, const wchar_t* pszSubKey, REGSAM samDesired, HKEY* phKey,
                               DWORD* pdwDisposition)>
        FnCreateKey;
    typedef std::function<LONG(HKEY hRoot, const wchar_t* pszSubKey, REGSAM samDesired, HKEY* phKey)> FnOpenKey;

    CSettingsLocation();

    HKEY hMachineRoot;  // HKEY_LOCAL_MACHINE
    HKEY hUserRoot;     // HKEY_CURRENT_USER
    WString strSubKey;  // "Software\Zandu SMS"
    FnCreateKey fnCreateKey;  // RegCreateKeyExW, non-volatile, no class
    FnOpenKey fnOpenKey;      // RegOpenKeyExW
};

// The process-wide settings key object.
class CSettingsKey {
public:
    CSettingsKey() = default;
    ~CSettingsKey();
    CSettingsKey(const CSettingsKey&) = delete;
    CSettingsKey& operator=(const CSettingsKey&) = delete;

    // Opens the user's key for reading and writing, creating it when
    // needed, and the machine-wide key for reading only when it exists.
    // Nothing is written to the machine-wide key, whatever rights the
    // process has, and nothing is copied from it: another user's lists that
    // an earlier version kept there stay theirs (SettingsMove moves them on
    // purpose). ERROR_SUCCESS or the error of the user's key.
    LONG Open(const CSettingsLocation& location = CSettingsLocation());
    // Both for reading only, creating nothing: for a program beside the
    // window that changes nothing (the console tool's reading commands). A
    // key that does not exist reads as empty: ERROR_SUCCESS, or the error
    // of a key that exists but cannot be opened.
    LONG OpenForReading(const CSettingsLocation& location = CSettingsLocation());

    // Take ownership of an open key; the key held before is closed.
    void SetHandle(HKEY hKey);         // the user's key
    void SetMachineHandle(HKEY hKey);  // the machine-wide key
    HKEY GetHandle() const { return m_hKey.Get(); }
    HKEY GetMachineHandle() const { return m_hMachineKey.Get(); }

    CSettingsValue Value(const char* pszName) { return CSettingsValue(*this, pszName); }
    CSettingsValue MachineValue(const char* pszName) { return CSettingsValue(*this, pszName, true); }
    // The copies of the list values for every CSettingsListKey on this key.
    CListCache& GetListCache() { return m_lists; }

private:
    LONG OpenMachine(const CSettingsLocation& location);

    CRegKey m_hKey;
    CRegKey m_hMachineKey;
    CSettingsWatch m_watch;
    CListCache m_lists{m_watch};
};

CSettingsKey& GetSettingsKey();
