#include "base/ListStore.h"

#include <algorithm>

#include "base/ErrorCodes.h"
#include "base/MultiSz.h"

namespace {

// Held from a change's read to its write; released on every way out.
class CListLock {
public:
    explicit CListLock(CListKey& key) : m_key(key), m_dwError(key.Lock(CListStore::kLockTimeoutMs)) {}
    ~CListLock()
    {
        if (m_dwError == kErrorSuccess)
            m_key.Unlock();
    }
    CListLock(const CListLock&) = delete;
    CListLock& operator=(const CListLock&) = delete;

    uint32_t GetError() const { return m_dwError; }

private:
    CListKey& m_key;
    const uint32_t m_dwError;
};

// The empty list as it is stored (one zero character), and as a registry
// editor may store it (no data, or two zeros).
bool IsOnlyZeros(const std::vector<uint8_t>& data)
{
    return data.size() % 2 == 0 && std::all_of(data.begin(), data.end(), [](uint8_t b) { return b == 0; });
}

} // namespace

std::vector<WString> CListStore::Read(const WString& strName) const
{
    std::vector<WString> aList;
    if (ReadWhole(strName, aList) != kErrorSuccess)
        aList.clear();
    return aList;
}

uint32_t CListStore::ReadWhole(const WString& strName, std::vector<WString>& aList) const
{
    aList.clear();
    uint32_t dwType = 0;
    std::vector<uint8_t> data;
    const uint32_t dwError = m_key.ReadData(strName, dwType, data, false);
    if (dwError == kErrorFileNotFound)
        return kErrorSuccess;
    if (dwError != kErrorSuccess)
        return dwError;
    if (dwType != kRegMultiSz)
        return kErrorInvalidData;
    if (DecodeMultiSz(data.data(), data.size(), aList) || IsOnlyZeros(data))
        return kErrorSuccess;
    return kErrorInvalidData;
}

std::shared_ptr<const std::vector<uint8_t>> CListStore::ReadData(const WString& strName) const
{
    uint32_t dwType = 0;
    std::shared_ptr<const std::vector<uint8_t>> pData;
    if (m_key.ReadShared(strName, dwType, pData) != kErrorSuccess || dwType != kRegMultiSz || !pData ||
        !IsWholeMultiSz(pData->data(), pData->size()))
        pData = std::make_shared<const std::vector<uint8_t>>();
    return pData;
}

uint32_t CListStore::Update(const WString& strName, const FnChange& fnChange)
{
    const CListLock lock(m_key);
    if (lock.GetError() != kErrorSuccess)
        return lock.GetError();
    std::vector<WString> aList;
    const uint32_t dwError = ReadWhole(strName, aList);
    if (dwError != kErrorSuccess)
        return dwError;
    if (!fnChange(aList))
        return kErrorSuccess;
    std::vector<uint8_t> data = EncodeMultiSz(aList);
    return m_key.SetMultiSz(strName, data);
}

uint32_t CListStore::UpdateData(const WString& strName, const FnChangeData& fnChange)
{
    const CListLock lock(m_key);
    if (lock.GetError() != kErrorSuccess)
        return lock.GetError();
    uint32_t dwType = kRegMultiSz;
    std::vector<uint8_t> data;
    const uint32_t dwError = m_key.ReadData(strName, dwType, data, true);
    if (dwError != kErrorSuccess && dwError != kErrorFileNotFound)
        return dwError;
    if (dwError == kErrorSuccess &&
        (dwType != kRegMultiSz || (!IsWholeMultiSz(data.data(), data.size()) && !IsOnlyZeros(data))))
        return kErrorInvalidData;
    if (!fnChange(data))
        return kErrorSuccess;
    return m_key.SetMultiSz(strName, data);
}

uint32_t CListStore::Replace(const WString& strName, const std::vector<WString>& aList)
{
    const CListLock lock(m_key);
    if (lock.GetError() != kErrorSuccess)
        return lock.GetError();
    if (!aList.empty()) {
        std::vector<uint8_t> data = EncodeMultiSz(aList);
        return m_key.SetMultiSz(strName, data);
    }
    const uint32_t dwError = m_key.DeleteValue(strName);
    return dwError == kErrorFileNotFound ? kErrorSuccess : dwError;  // nothing was stored: nothing to delete
}

WString DescribeStoreFailure(const WString& strWhat, uint32_t dwError, const WString& strSystemText)
{
    WString strReason = dwError == kErrorInvalidData ? WSTR("the stored value is damaged") : strSystemText;
    while (!strReason.empty() && (strReason.back() == '\r' || strReason.back() == '\n' || strReason.back() == ' '))
        strReason.pop_back();
    return WSTR("Could not ") + strWhat + WSTR(": ") + strReason;
}
