// A settings key and a data folder in memory, for the host tests of the list
// stores. The key holds values of any type and bytes, can let a value grow
// before its data are read, refuse writes, run another writer just before a
// write, counts its changes for a watch of it, and has one lock for every
// store that uses it, as the named mutex is one for every process. Each call
// is atomic, as a registry call is.
#pragma once

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "base/DataFolder.h"
#include "base/ErrorCodes.h"
#include "base/ListKey.h"

class CFakeListKey : public CListKey {
public:
    struct CValue {
        uint32_t dwType = kRegMultiSz;
        std::vector<uint8_t> data;
    };

    uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) override
    {
        if (pbData && m_fnBeforeRead)
            m_fnBeforeRead();
        std::lock_guard<std::mutex> guard(m_mutex);
        const auto it = m_values.find(strName);
        if (it == m_values.end())
            return kErrorFileNotFound;
        dwType = it->second.dwType;
        const uint32_t cbValue = static_cast<uint32_t>(it->second.data.size());
        const bool bFits = cbData >= cbValue;
        if (pbData && bFits && cbValue)
            std::memcpy(pbData, it->second.data.data(), cbValue);
        cbData = cbValue;
        return !pbData || bFits ? kErrorSuccess : kErrorMoreData;
    }
    uint32_t SetValue(const WString& strName, uint32_t dwType, std::vector<uint8_t>& data) override
    {
        std::function<void()> fnOnce;
        fnOnce.swap(m_fnBeforeWrite);
        if (fnOnce)
            fnOnce();
        std::lock_guard<std::mutex> guard(m_mutex);
        m_log.push_back("set " + WideToUtf8(strName));
        if (m_dwWriteError != kErrorSuccess)
            return m_dwWriteError;
        m_values[strName] = CValue{dwType, data};
        ++m_nChanges;
        return kErrorSuccess;
    }
    uint32_t DeleteValue(const WString& strName) override
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_log.push_back("delete " + WideToUtf8(strName));
        if (m_dwWriteError != kErrorSuccess)
            return m_dwWriteError;
        ++m_nChanges;
        return m_values.erase(strName) ? kErrorSuccess : kErrorFileNotFound;
    }
    uint32_t Lock(uint32_t dwTimeoutMs) override
    {
        m_dwLastTimeoutMs = dwTimeoutMs;
        const uint32_t dwWaitMs = dwTimeoutMs < m_dwMaxWaitMs ? dwTimeoutMs : m_dwMaxWaitMs;
        return m_lock.try_lock_for(std::chrono::milliseconds(dwWaitMs)) ? kErrorSuccess : kErrorWaitTimeout;
    }
    void Unlock() override { m_lock.unlock(); }

    void Put(const WString& strName, const std::vector<uint8_t>& data, uint32_t dwType = kRegMultiSz)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_values[strName] = CValue{dwType, data};
        ++m_nChanges;
    }
    std::vector<uint8_t> Get(const WString& strName)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_values[strName].data;
    }
    bool Has(const WString& strName)
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        return m_values.count(strName) != 0;
    }

    uint32_t m_dwWriteError = kErrorSuccess;  // returned by every write and delete when set
    std::function<void()> m_fnBeforeRead;     // before every read of a value's data
    std::function<void()> m_fnBeforeWrite;    // once, before the next write
    std::vector<std::string> m_log;           // "set <name>", "delete <name>"
    std::timed_mutex m_lock;
    uint32_t m_dwMaxWaitMs = 0xFFFFFFFF;  // a test's cut of the waits for the lock
    std::atomic<uint32_t> m_dwLastTimeoutMs{0};  // the wait a store asked for last
    std::atomic<int> m_nChanges{0};              // values set or deleted, by anyone

private:
    std::mutex m_mutex;
    std::map<WString, CValue> m_values;
};

class CFakeDataFolder : public CDataFolder {
public:
    uint32_t AppendToFile(const WString& strFileName, const std::string& strBytes) override
    {
        if (m_dwError != kErrorSuccess)
            return m_dwError;
        m_files[strFileName] += strBytes;
        return kErrorSuccess;
    }

    uint32_t m_dwError = kErrorSuccess;  // returned by every append when set
    std::map<WString, std::string> m_files;
};
