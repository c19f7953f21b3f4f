// The settings of SettingsTable in the registry, read and written at the
// moment they are needed, as every setting is; a read that fails gives the
// default. A user's own value comes first; a machine-wide setting the user
// has not set is read from the machine-wide key, where an administrator may
// have set it for everyone. Writes go to the user's key. The lists
// ("Numbers", "Contacts", "NewHistory", "Reports", ...) have stores of their
// own, on the user's key alone.
#pragma once

#include <windows.h>

#include "base/Settings.h"
#include "base/SettingsTable.h"
#include "base/Text.h"

class CAppSettings {
public:
    explicit CAppSettings(CSettingsKey& key = GetSettingsKey()) : m_key(key) {}

    bool Read(EFlag eFlag) const;
    LONG Write(EFlag eFlag, bool bValue) const;
    WString Read(ETextSetting eSetting) const;
    LONG Write(ETextSetting eSetting, const WString& strValue) const;

    static const char* GetName(EFlag eFlag) { return GetSettingName(eFlag); }
    static const char* GetName(ETextSetting eSetting) { return GetSettingName(eSetting); }

private:
    // The value of that name in the key ChooseSettingSource picks.
    CSettingsValue Source(const char* pszName) const;

    CSettingsKey& m_key;
};
