#include "base/SettingsWatch.h"

// Local: one count per user session, as the settings' lock.
const wchar_t CSettingsWatch::kCountName[] = L"Local\\Zandu SMS settings changes";

CSettingsWatch::CSettingsWatch() : m_hEvent(CreateManualEvent())
{
    m_hCount.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(LONG), kCountName));
    if (m_hCount)
        m_pnCount = static_cast<volatile LONG*>(MapViewOfFile(m_hCount, FILE_MAP_WRITE, 0, 0, sizeof(LONG)));
}

CSettingsWatch::~CSettingsWatch()
{
    if (m_pnCount)
        UnmapViewOfFile(const_cast<LONG*>(m_pnCount));
}

void CSettingsWatch::SetKey(HKEY hKey)
{
    HKEY hOwn = nullptr;
    m_hKey.Reset(hKey && RegOpenKeyExW(hKey, L"", 0, KEY_NOTIFY, &hOwn) == ERROR_SUCCESS ? hOwn : nullptr);
}

// A notification is given once: it is asked for again each time.
bool CSettingsWatch::Watch()
{
    if (!m_hKey || !m_hEvent || !m_pnCount)
        return false;
    ResetEvent(m_hEvent);
    m_nSeen = InterlockedCompareExchange(m_pnCount, 0, 0);
    return RegNotifyChangeKeyValue(m_hKey, FALSE, REG_NOTIFY_CHANGE_LAST_SET, m_hEvent, TRUE) == ERROR_SUCCESS;
}

bool CSettingsWatch::HasChanged()
{
    return !m_pnCount || InterlockedCompareExchange(m_pnCount, 0, 0) != m_nSeen ||
           WaitForSingleObject(m_hEvent, 0) != WAIT_TIMEOUT;
}

void CSettingsWatch::Announce()
{
    if (m_pnCount)
        InterlockedIncrement(m_pnCount);
}
