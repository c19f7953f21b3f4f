#include "base/SettingsTable.h"

namespace {

struct CFlagItem {
    EFlag eFlag;
    const char* pszName;
    bool bDefault;
};

// In the order of the enumerations.
const CFlagItem kFlags[] = {
    {EFlag::ALLOW_CHECK, "AllowCheck", true},
    {EFlag::ALLOW_STATS, "AllowStats", false},
    {EFlag::DELETE_AFTER_DOWNLOAD, "DeleteAfterDownload", false},
    {EFlag::DELIVERY_REPORT, "DeliveryReport", false},
};

struct CTextItem {
    ETextSetting eSetting;
    const char* pszName;  // texts default to empty
    bool bMachineWide;
};

const CTextItem kTexts[] = {
    {ETextSetting::PORT, "Port", false},
    {ETextSetting::CONTACT, "Contact", false},
    {ETextSetting::MODEL, "Model", true},
    {ETextSetting::SERVER, "Server", true},
};

} // namespace

const char* GetSettingName(EFlag eFlag)
{
    return kFlags[static_cast<size_t>(eFlag)].pszName;
}

const char* GetSettingName(ETextSetting eSetting)
{
    return kTexts[static_cast<size_t>(eSetting)].pszName;
}

bool GetSettingDefault(EFlag eFlag)
{
    return kFlags[static_cast<size_t>(eFlag)].bDefault;
}

bool IsMachineWideSetting(const WString& strName)
{
    for (const CFlagItem& flag : kFlags) {
        if (strName == AnsiToWide(flag.pszName))
            return true;
    }
    for (const CTextItem& text : kTexts) {
        if (text.bMachineWide && strName == AnsiToWide(text.pszName))
            return true;
    }
    return false;
}

ESettingSource ChooseSettingSource(const WString& strName, bool bInUsersKey, bool bInMachineKey)
{
    if (bInUsersKey)
        return ESettingSource::USER;
    return bInMachineKey && IsMachineWideSetting(strName) ? ESettingSource::MACHINE : ESettingSource::DEFAULT;
}
