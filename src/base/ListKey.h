// The settings key as the list store sees it: the registry's own calls for
// one value, and the lock that every process of the program holds across a
// read-modify-write of a list. The registry stands behind it in the program
// (CSettingsListKey); the host tests put a fake in its place, which can let a
// value grow between two reads, hold damaged data or refuse a write.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/ErrorCodes.h"
#include "base/Text.h"

class CListKey {
public:
    static constexpr int kReadTries = 5;  // reads of a value that keeps growing

    virtual ~CListKey() {}

    // As RegQueryValueExW: with pbData null, only the type and the size; when
    // the data do not fit into cbData bytes, kErrorMoreData and the size they
    // need now. kErrorFileNotFound for a value that does not exist.
    virtual uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) = 0;
    // A value's data whole: its size is asked first, and a value that grew
    // before its data were read is read again with its new size, at most
    // kReadTries times (then kErrorMoreData). bForChange: the caller writes
    // the value back through SetMultiSz before it reads it again, so a key
    // that keeps a copy of it may hand that over.
    virtual uint32_t ReadData(const WString& strName, uint32_t& dwType, std::vector<uint8_t>& data, bool bForChange);
    // ReadData for showing: data that nobody changes, shared with a key that
    // keeps a copy of them, so that a list of megabytes is not copied.
    virtual uint32_t ReadShared(const WString& strName, uint32_t& dwType,
                                std::shared_ptr<const std::vector<uint8_t>>& pData);
    // Stores a value of that type, replacing what was there in one step. The
    // data are the caller's no longer: a key that keeps copies takes them.
    virtual uint32_t SetValue(const WString& strName, uint32_t dwType, std::vector<uint8_t>& data) = 0;
    uint32_t SetMultiSz(const WString& strName, std::vector<uint8_t>& data)
    {
        return SetValue(strName, kRegMultiSz, data);
    }
    virtual uint32_t DeleteValue(const WString& strName) = 0;

    // Waits at most dwTimeoutMs for the lock: kErrorSuccess once it is held,
    // else why it could not be had (kErrorWaitTimeout while another holds it).
    virtual uint32_t Lock(uint32_t dwTimeoutMs) = 0;
    virtual void Unlock() = 0;
};
