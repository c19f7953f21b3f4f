// The enumeration of a registry key's values, written over a function object
// so that its rules hold for every key the program walks (an earlier
// version's values moved out of the machine-wide key, the serial device map)
// and are tested on the host:
// it ends at the end of the values and at any other error, so a key that
// fails for good (deleted while it is walked, access withdrawn) cannot hold
// the caller in the loop; only a value that grew since the buffers were sized
// is read again, with the new size, a bounded number of times.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/Text.h"

struct CEnumValue {
    WString strName;
    uint32_t dwType = 0;
    std::vector<uint8_t> data;
};

// As RegEnumValueW for the value at nIndex: the name's buffer in characters
// (its zero included) and the data's in bytes; on kErrorMoreData, cbData may
// hold the size the data need.
typedef std::function<uint32_t(uint32_t nIndex, WChar* pszName, uint32_t& cchName, uint32_t& dwType,
                               uint8_t* pbData, uint32_t& cbData)>
    FnEnumValue;
typedef std::function<void(const CEnumValue& value)> FnOnValue;

// Calls fnOnValue for every value, in the key's order. cchName and cbData are
// the sizes to begin with (the key's longest name and data, when known).
// kErrorSuccess when every value was seen, else the error that ended it.
uint32_t EnumValues(const FnEnumValue& fnEnum, uint32_t cchName, uint32_t cbData, const FnOnValue& fnOnValue);
