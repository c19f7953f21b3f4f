// The watch of the settings key behind its cache of list values: the
// registry's change notification on a handle of its own, which every writer
// sets off (another process, this one, regedit), and a count of changes in
// memory shared by the program's processes of the session, which each of
// them moves on under the settings' lock before releasing it, so a change by
// one of them is seen by the next holder of the lock whenever the
// notification arrives.
#pragma once

#include <windows.h>

#include "base/ListCache.h"
#include "base/Raii.h"

class CSettingsWatch : public CKeyWatch {
public:
    CSettingsWatch();
    ~CSettingsWatch() override;
    CSettingsWatch(const CSettingsWatch&) = delete;
    CSettingsWatch& operator=(const CSettingsWatch&) = delete;

    // The key to watch (a handle of its own is opened); null: none.
    void SetKey(HKEY hKey);

    bool Watch() override;
    bool HasChanged() override;
    void Announce() override;

    static const wchar_t kCountName[];  // "Local\Zandu SMS settings changes"

private:
    CRegKey m_hKey;
    CHandle m_hEvent;
    CHandle m_hCount;
    volatile LONG* m_pnCount = nullptr;  // in the shared memory
    LONG m_nSeen = 0;
};
