#include "base/AppSettings.h"

namespace {

struct CFlagItem {
    EFlag eFlag;
    const char* pszName;
    bool bDefault;
};

// Texts default to empty.
struct CTextItem {
    ETextSetting eSetting;
    const char* pszName;
};

constexpr CFlagItem kFlags[] = {
    {EFlag::ALLOW_CHECK, "AllowCheck", true},
    {EFlag::ALLOW_STATS, "AllowStats", false},
    {EFlag::DELETE_AFTER_DOWNLOAD, "DeleteAfterDownload", false},
    {EFlag::DELIVERY_REPORT, "DeliveryReport", false},
};

constexpr CTextItem kTexts[] = {
    {ETextSetting::PORT, "Port"},
    {ETextSetting::CONTACT, "Contact"},
    {ETextSetting::MODEL, "Model"},
    {ETextSetting::SERVER, "Server"},
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

const char* CAppSettings::GetName(EFlag eFlag)
{
    return ItemOf(kFlags, eFlag).pszName;
}

const char* CAppSettings::GetName(ETextSetting eSetting)
{
    return ItemOf(kTexts, eSetting).pszName;
}

bool CAppSettings::Read(EFlag eFlag) const
{
    return m_key.Value(GetName(eFlag)).ReadBool(ItemOf(kFlags, eFlag).bDefault);
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
