#include "base/SettingsTable.h"

namespace {

struct CFlagItem {
    EFlag eFlag;
    const char* pszName;
    bool bDefault;
};

constexpr CFlagItem kFlags[] = {
    {EFlag::ALLOW_CHECK, "AllowCheck", true},
    {EFlag::ALLOW_STATS, "AllowStats", false},
    {EFlag::DELETE_AFTER_DOWNLOAD, "DeleteAfterDownload", false},
    {EFlag::DELIVERY_REPORT, "DeliveryReport", false},
    {EFlag::RECEIVE_MESSAGES, "ReceiveMessages", false},
};

struct CTextItem {
    ETextSetting eSetting;
    const char* pszName;  // texts default to empty
    bool bMachineWide;
};

constexpr CTextItem kTexts[] = {
    {ETextSetting::PORT, "Port", false},
    {ETextSetting::CONTACT, "Contact", false},
    {ETextSetting::MODEL, "Model", true},
    {ETextSetting::SERVER, "Server", true},
};

constexpr EFlag KeyOf(const CFlagItem& item) { return item.eFlag; }
constexpr ETextSetting KeyOf(const CTextItem& item) { return item.eSetting; }

// Every setting has its row, once: row i is the setting of value i.
template <class TItem, size_t N>
constexpr bool IsInOrder(const TItem (&items)[N])
{
    for (size_t i = 0; i < N; ++i) {
        if (static_cast<size_t>(KeyOf(items[i])) != i)
            return false;
    }
    return true;
}
static_assert(IsInOrder(kFlags), "a flag's row is missing or out of order");
static_assert(IsInOrder(kTexts), "a text setting's row is missing or out of order");

// The row of a setting, found by its own key.
template <class TItem, size_t N, class TKey>
const TItem& ItemOf(const TItem (&items)[N], TKey eKey)
{
    for (const TItem& item : items) {
        if (KeyOf(item) == eKey)
            return item;
    }
    return items[0];  // not reached: every key has its row
}

} // namespace

const char* GetSettingName(EFlag eFlag)
{
    return ItemOf(kFlags, eFlag).pszName;
}

const char* GetSettingName(ETextSetting eSetting)
{
    return ItemOf(kTexts, eSetting).pszName;
}

bool GetSettingDefault(EFlag eFlag)
{
    return ItemOf(kFlags, eFlag).bDefault;
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
