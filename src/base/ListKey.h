// The settings key as the list store sees it: the registry's own calls for
// one value, and the lock that every process of the program holds across a
// read-modify-write of a list. The registry stands behind it in the program
// (CSettingsListKey); the host tests put a fake in its place, which can let a
// value grow between two reads, hold damaged data or refuse a write.
#pragma once

#include <cstdint>
#include <vector>

#include "base/ErrorCodes.h"
#include "base/Text.h"

class CListKey {
public:
    virtual ~CListKey() {}

    // As RegQueryValueExW: with pbData null, only the type and the size; when
    // the data do not fit into cbData bytes, kErrorMoreData and the size they
    // need now. kErrorFileNotFound for a value that does not exist.
    virtual uint32_t QueryValue(const WString& strName, uint32_t& dwType, uint8_t* pbData, uint32_t& cbData) = 0;
    // Stores a value of that type, replacing what was there in one step.
    virtual uint32_t SetValue(const WString& strName, uint32_t dwType, const std::vector<uint8_t>& data) = 0;
    uint32_t SetMultiSz(const WString& strName, const std::vector<uint8_t>& data)
    {
        return SetValue(strName, kRegMultiSz, data);
    }
    virtual uint32_t DeleteValue(const WString& strName) = 0;

    // Waits at most dwTimeoutMs for the lock: kErrorSuccess once it is held,
    // else why it could not be had (kErrorWaitTimeout while another holds it).
    virtual uint32_t Lock(uint32_t dwTimeoutMs) = 0;
    virtual void Unlock() = 0;
};
