#include "base/AppSettings.h"

namespace {

struct CFlagItem {
    EFlag eFlag;
    const char* pszName;
    bool bDefault;
};

// In the order of the enumeration.
const CFlagItem kFlags[] = {
    {EFlag::ALLOW_CHECK, "AllowCheck", true},
    {EFlag::ALLOW_STATS, "AllowStats", false},
    {EFlag::DELETE_AFTER_DOWNLOAD, "DeleteAfterDownload", false},
    {EFlag::DELIVERY_REPORT, "DeliveryReport", false},
};

// Texts default to empty.
const char* const kTexts[] = {"Port", "Contact", "Model", "Server"};

const CFlagItem& ItemOf(EFlag eFlag)
{
    return kFlags[static_cast<size_t>(eFlag)];
}

} // namespace

const char* CAppSettings::GetName(EFlag eFlag)
{
    return ItemOf(eFlag).pszName;
}

const char* CAppSettings::GetName(ETextSetting eSetting)
{
    return kTexts[static_cast<size_t>(eSetting)];
}

bool CAppSettings::Read(EFlag eFlag) const
{
    return m_key.Value(GetName(eFlag)).ReadBool(ItemOf(eFlag).bDefault);
}

LONG CAppSettings::Write(EFlag eFlag, bool bValue) const
{
    return m_key.Value(GetName(eFlag)).WriteBool(bValue);
}

WString CAppSettings::Read(ETextSetting eSetting) const
{
    return m_key.Value(GetName(eSetting)).ReadString();
}

LONG CAppSettings::Write(ETextSetting eSetting, const WString& strValue) const
{
    return m_key.Value(GetName(eSetting)).WriteString(strValue);
}
