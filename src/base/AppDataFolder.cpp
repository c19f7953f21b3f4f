#include "base/AppDataFolder.h"

#include <windows.h>

#include "base/Raii.h"
#include "base/Util.h"

// Appending writes at the file's end whatever another writer did before; the
// bytes are flushed to the disk before it returns, since the caller drops
// its own copy of them next.
uint32_t CAppDataFolder::AppendToFile(const WString& strFileName, const std::string& strBytes)
{
    WString strFolder;
    const DWORD dwError = GetAppDataFolder(strFolder);
    if (dwError != ERROR_SUCCESS)
        return dwError;
    const CFileHandle hFile(CreateFileW((strFolder + strFileName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile)
        return GetLastError();
    DWORD cbWritten = 0;
    if (!WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &cbWritten, nullptr))
        return GetLastError();
    if (cbWritten != strBytes.size())
        return ERROR_WRITE_FAULT;
    return FlushFileBuffers(hFile) ? ERROR_SUCCESS : GetLastError();
}
