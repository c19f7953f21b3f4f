// Every setting of the program in one table: its value name in the settings
// key, its type and its default. Read and written at the moment they are
// needed, as every setting is; a read that fails gives the default. The
// lists ("Numbers", "Contacts", "NewHistory", "Reports", ...) have stores of
// their own.
#pragma once

#include <windows.h>

#include "base/Settings.h"
#include "base/Text.h"

enum class EFlag {
    ALLOW_CHECK,            // "AllowCheck": the update check at start-up (the notice's "Don't ask again")
    ALLOW_STATS,            // "AllowStats": usage statistics go to the maker
    DELETE_AFTER_DOWNLOAD,  // "DeleteAfterDownload": what has been stored is deleted from the phone
    DELIVERY_REPORT,        // "DeliveryReport": every part asks for a delivery report
};

enum class ETextSetting {
    PORT,     // "Port": the port chosen last
    CONTACT,  // "Contact": the contact chosen last
    MODEL,    // "Model": the phone model the feedback names
    SERVER,   // "Server": the maker's server, instead of the built-in one
};

class CAppSettings {
public:
    explicit CAppSettings(CSettingsKey& key = GetSettingsKey()) : m_key(key) {}

    bool Read(EFlag eFlag) const;
    LONG Write(EFlag eFlag, bool bValue) const;
    WString Read(ETextSetting eSetting) const;
    LONG Write(ETextSetting eSetting, const WString& strValue) const;

    static const char* GetName(EFlag eFlag);
    static const char* GetName(ETextSetting eSetting);

private:
    CSettingsKey& m_key;
};
