// Every setting of the program in one table: its value name, its default and
// where it lives. Portable: the registry accessors (CAppSettings), the move of
// an earlier version's values and the host tests share it.
//
// Everything the program writes is the user's and lives in the user's key,
// HKEY_CURRENT_USER\Software\Zandu SMS, and nowhere else: the lists, the
// history, the reports, the contacts, the pending feedback, the port and the
// contact chosen last, and the flags the user sets. The machine-wide key,
// HKEY_LOCAL_MACHINE\Software\Zandu SMS, holds what an administrator sets
// for every user of the machine: the server, the phone model and the flags,
// each read there only where the user's key has no value of that name. The
// program never writes the machine-wide key and never copies from it.
#pragma once

#include "base/Text.h"

enum class EFlag {
    ALLOW_CHECK,            // "AllowCheck": the update check at start-up (the notice's "Don't ask again")
    ALLOW_STATS,            // "AllowStats": usage statistics go to the maker
    DELETE_AFTER_DOWNLOAD,  // "DeleteAfterDownload": what has been stored is deleted from the phone
    DELIVERY_REPORT,        // "DeliveryReport": every part asks for a delivery report
    RECEIVE_MESSAGES,       // "ReceiveMessages": the port stays open and new messages are read as they come
};

enum class ETextSetting {
    PORT,     // "Port": the port chosen last (the user's)
    CONTACT,  // "Contact": the contact chosen last, a name and a number (the user's)
    MODEL,    // "Model": the phone model the feedback names
    SERVER,   // "Server": the maker's server, instead of the built-in one
};

const char* GetSettingName(EFlag eFlag);
const char* GetSettingName(ETextSetting eSetting);
bool GetSettingDefault(EFlag eFlag);

// Whether an administrator may set the value for every user: the flags,
// "Server" and "Model". Every other name, a list's too, is the user's.
bool IsMachineWideSetting(const WString& strName);

enum class ESettingSource {
    USER,     // the user's own value
    MACHINE,  // the administrator's, for a machine-wide setting the user has not set
    DEFAULT,  // neither
};
// Which key a value is read from, given which of the two hold one.
ESettingSource ChooseSettingSource(const WString& strName, bool bInUsersKey, bool bInMachineKey);
