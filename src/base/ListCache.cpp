#include "base/ListCache.h"

#include "base/ErrorCodes.h"

// A copy is taken after the watch has started: a change after the read is seen.
uint32_t CListCache::ReadData(CListKey& key, const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data,
                              bool bForChange)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    KeepCurrent();
    const auto it = m_values.find(strName);
    if (it == m_values.end()) {
        const uint32_t dwError = key.ReadData(strName, dwType, data, bForChange);
        if (dwError == kErrorSuccess && m_bWatching && !bForChange)
            m_values[strName] = CValue{dwType, std::make_shared<std::vector<uint8_t>>(data)};
        return dwError;
    }
    dwType = it->second.dwType;
    if (!bForChange) {
        data = *it->second.pData;
        return kErrorSuccess;
    }
    if (it->second.pData.use_count() == 1)
        data.swap(*it->second.pData);  // back with SetValue
    else
        data = *it->second.pData;
    m_values.erase(it);
    return kErrorSuccess;
}

uint32_t CListCache::ReadShared(CListKey& key, const WString& strName, uint32_t& dwType,
                                std::shared_ptr<const std::vector<uint8_t>>& pData)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    KeepCurrent();
    auto it = m_values.find(strName);
    if (it == m_values.end()) {
        const auto pRead = std::make_shared<std::vector<uint8_t>>();
        const uint32_t dwError = key.ReadData(strName, dwType, *pRead, false);
        pData = pRead;
        if (dwError == kErrorSuccess && m_bWatching)
            m_values[strName] = CValue{dwType, pRead};
        return dwError;
    }
    dwType = it->second.dwType;
    pData = it->second.pData;
    return kErrorSuccess;
}

uint32_t CListCache::SetValue(CListKey& key, const WString& strName, uint32_t dwType, std::vector<uint8_t>& data,
                              bool bLocked)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return Change(strName, bLocked, dwType, &data, [&] { return key.SetValue(strName, dwType, data); });
}

uint32_t CListCache::DeleteValue(CListKey& key, const WString& strName, bool bLocked)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return Change(strName, bLocked, 0, nullptr, [&] { return key.DeleteValue(strName); });
}

void CListCache::Clear()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_values.clear();
    m_bWatching = false;
}

void CListCache::KeepCurrent()
{
    if (m_bWatching && !m_watch.HasChanged())
        return;
    m_values.clear();
    m_bWatching = m_watch.Watch();
}

// The change itself also sets off the watch: it is watched anew once the
// change is made. Under the lock nobody else changed a list in between, so
// the copies taken before stay when nothing had changed before the change.
uint32_t CListCache::Change(const WString& strName, bool bLocked, uint32_t dwType, std::vector<uint8_t>* pData,
                            const std::function<uint32_t()>& fnChange)
{
    const bool bCurrent = bLocked && m_bWatching && !m_watch.HasChanged();
    const uint32_t dwError = fnChange();
    m_watch.Announce();
    if (!bCurrent)
        m_values.clear();
    m_bWatching = m_watch.Watch();
    if (dwError == kErrorSuccess && pData && bLocked && m_bWatching)
        m_values[strName] = CValue{dwType, std::make_shared<std::vector<uint8_t>>(std::move(*pData))};
    else
        m_values.erase(strName);
    return dwError;
}
