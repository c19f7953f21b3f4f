// The program's folder in the user's roaming application data folder, where
// it keeps the files that do not belong in the registry.
#pragma once

#include "base/DataFolder.h"

class CAppDataFolder : public CDataFolder {
public:
    uint32_t AppendToFile(const WString& strFileName, const std::string& strBytes) override;
};
