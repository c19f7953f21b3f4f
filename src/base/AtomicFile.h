// Whole-file reads and writes for the program's own data files: a write never
// leaves a truncated file behind, whenever the program or the system stops.
// The only platform-specific code of the data files is here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/Text.h"

enum class EFileRead {
    FILE_READ_OK,
    FILE_READ_MISSING,    // no such file (a first run)
    FILE_READ_FAILED,     // it exists but cannot be read; strError says why
    FILE_READ_TOO_LARGE,  // larger than the reader takes: nothing kept
    FILE_READ_STOPPED,    // the progress function stopped it: nothing kept
};
// After each read: the bytes read so far and the size of the file when it
// was opened. False stops the read.
typedef std::function<bool(uint64_t nDone, uint64_t nSize)> FnFileProgress;
// A file larger than nMaxBytes is refused before any of it is read, and so
// is one that grows past it while it is read: its size takes no memory.
EFileRead ReadWholeFile(const WString& strPath, std::string& strData, std::string& strError,
                        uint64_t nMaxBytes = UINT64_MAX, const FnFileProgress& fnProgress = FnFileProgress());

// Writes a temporary file of this writer's own beside the file
// ("<path>.<process>-<n>.tmp"), flushes it to the disk and puts it in the
// file's place in one step: afterwards the file is either the old one or the
// new one. False, with the file as it was, when any step fails.
bool WriteFileAtomically(const WString& strPath, const std::string& strData, std::string& strError);

// Renames a file unless the new name is taken (then bTaken is set).
bool RenameFileNoReplace(const WString& strFrom, const WString& strTo, bool& bTaken, std::string& strError);
