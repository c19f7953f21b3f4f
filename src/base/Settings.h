// The settings store: one registry key that holds every setting and list of
// the program, read and written at the moment a value is needed.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "base/ListCache.h"
#include "base/Raii.h"
#include "base/SettingsWatch.h"
#include "base/Text.h"

class CSettingsKey;

// One named value of the settings key. Reads turn every failure (absent,
// wrong type, malformed) into the default; writes return the Win32 error.
class CSettingsValue {
public:
    CSettingsValue(CSettingsKey& key, const char* pszName);

    WString ReadString() const;  // REG_SZ or REG_EXPAND_SZ (not expanded); empty on failure
    LONG WriteString(const WString& strValue) const;  // REG_SZ with its terminating zero
    bool ReadBool(bool bDefault) const;  // a 4-byte REG_DWORD: true when not 0
    LONG WriteBool(bool bValue) const;   // REG_DWORD 1 or 0

private:
    CSettingsKey& m_key;
    WString m_strName;
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

    // Opens the machine-wide key for reading and writing, creating it when
    // needed. A standard user may not write there: then the same key under
    // the user's root is used, and when that one is new while the machine-wide
    // key can be read, the machine-wide values are copied into it so that an
    // existing installation's lists are kept. ERROR_SUCCESS or the error of
    // the user's key.
    LONG Open(const CSettingsLocation& location = CSettingsLocation());
    // The key the program would use, found as Open finds it but only for
    // reading, without creating or copying anything: the machine-wide key
    // when it may be written, else the user's, else the machine-wide one
    // read-only. For a program beside the window (the console tool).
    LONG OpenForReading(const CSettingsLocation& location = CSettingsLocation());

    // Takes ownership of an open key; the key held before is closed.
    void SetHandle(HKEY hKey);
    HKEY GetHandle() const { return m_hKey.Get(); }

    CSettingsValue Value(const char* pszName) { return CSettingsValue(*this, pszName); }
    // The copies of the list values for every CSettingsListKey on this key.
    CListCache& GetListCache() { return m_lists; }

private:
    CRegKey m_hKey;
    CSettingsWatch m_watch;
    CListCache m_lists{m_watch};
};

CSettingsKey& GetSettingsKey();
