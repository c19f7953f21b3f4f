// A list key in front of another, whose reads come from a cache of the
// list values while its copies are current (see CListCache): the settings
// key of the program, in front of the registry. It knows whether it holds
// the settings' lock, under which its own changes keep the other copies.
#pragma once

#include "base/ErrorCodes.h"
#include "base/ListCache.h"
#include "base/ListKey.h"

class CCachedListKey : public CListKey {
public:
    // Neither is owned.
    CCachedListKey(CListKey& key, CListCache& cache) : m_key(key), m_cache(cache) {}

    // Not from the copies: the whole data are (ReadData).
    uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override
    {
        return m_key.QueryValue(strName, dwType, pbData, cbData);
    }
    uint32_t ReadData(const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data, bool bForChange) override
    {
        return m_cache.ReadData(m_key, strName, dwType, data, bForChange);
    }
    uint32_t ReadShared(const WString& strName, uint32_t& dwType,
                        std::shared_ptr<const std::vector<uint8_t>>& pData) override
    {
        return m_cache.ReadShared(m_key, strName, dwType, pData);
    }
    uint32_t SetValue(const WString& strName, uint32_t dwType, std::vector<uint8_t>& data) override
    {
        return m_cache.SetValue(m_key, strName, dwType, data, m_bLocked);
    }
    uint32_t DeleteValue(const WString& strName) override { return m_cache.DeleteValue(m_key, strName, m_bLocked); }
    uint32_t Lock(uint32_t dwTimeoutMs) override
    {
        const uint32_t dwError = m_key.Lock(dwTimeoutMs);
        m_bLocked = m_bLocked || dwError == kErrorSuccess;
        return dwError;
    }
    void Unlock() override
    {
        m_bLocked = false;
        m_key.Unlock();
    }

private:
    CListKey& m_key;
    CListCache& m_cache;
    bool m_bLocked = false;
};
