#include "base/AppSettings.h"

CSettingsValue CAppSettings::Source(const char* pszName) const
{
    const CSettingsValue user = m_key.Value(pszName);
    const CSettingsValue machine = m_key.MachineValue(pszName);
    const bool bMachine =
        ChooseSettingSource(AnsiToWide(pszName), user.Exists(), machine.Exists()) == ESettingSource::MACHINE;
    return bMachine ? machine : user;
}

bool CAppSettings::Read(EFlag eFlag) const
{
    return Source(GetName(eFlag)).ReadBool(GetSettingDefault(eFlag));
}

LONG CAppSettings::Write(EFlag eFlag, bool bValue) const
{
    return m_key.Value(GetName(eFlag)).WriteBool(bValue);
}

WString CAppSettings::Read(ETextSetting eSetting) const
{
    return Source(GetName(eSetting)).ReadString();
}

LONG CAppSettings::Write(ETextSetting eSetting, const WString& strValue) const
{
    return m_key.Value(GetName(eSetting)).WriteString(strValue);
}
