// The folder where the program keeps files of its own beside the settings
// (the history archive): the user's roaming application data folder in the
// program (CAppDataFolder), an in-memory fake in the host tests.
#pragma once

#include <cstdint>
#include <string>

#include "base/Text.h"

class CDataFolder {
public:
    virtual ~CDataFolder() {}

    // Appends the bytes to the named file of the folder, creating the folder
    // and the file when needed, and flushes them to the disk. kErrorSuccess
    // once they are there, or the system's error.
    virtual uint32_t AppendToFile(const WString& strFileName, const std::string& strBytes) = 0;
};
