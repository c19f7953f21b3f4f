// The Win32 error codes and registry types that the portable logic passes
// through: the settings and the files are Win32 on the program's side and
// fakes in the host tests, and both speak these numbers. SettingsListKey.cpp
// checks that they are the system's.
//
// Errors in this layer, and in the stores above it that keep settings: a
// call that asks the system returns its error code (kErrorSuccess when it
// went well); a file's reader or writer returns false with the system's
// words in a std::string&. Nothing is thrown on purpose; what the standard
// library throws (no memory) is caught where the system calls the program
// (CALL_CATCHING).
#pragma once

#include <cstdint>

const uint32_t kErrorSuccess = 0;
const uint32_t kErrorFileNotFound = 2;      // ERROR_FILE_NOT_FOUND
const uint32_t kErrorAccessDenied = 5;      // ERROR_ACCESS_DENIED
const uint32_t kErrorInvalidData = 13;      // ERROR_INVALID_DATA: a stored value that cannot be read whole
const uint32_t kErrorMoreData = 234;        // ERROR_MORE_DATA: the buffer was too small (the value grew)
const uint32_t kErrorWaitTimeout = 258;     // WAIT_TIMEOUT
const uint32_t kErrorNoMoreItems = 259;     // ERROR_NO_MORE_ITEMS

const uint32_t kRegMultiSz = 7;  // REG_MULTI_SZ
