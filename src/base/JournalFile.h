// A file of lines that are only ever appended, held open by the program that
// writes it: nobody else may write or delete it meanwhile, and another
// program can take it over only once its writer is gone (ended, killed,
// crashed). A line is appended whole; one the program was stopped in the
// middle of is torn at the file's end, which its reader passes over.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/Text.h"

class CJournalFile {
public:
    CJournalFile() = default;
    ~CJournalFile() { Close(); }
    CJournalFile(const CJournalFile&) = delete;
    CJournalFile& operator=(const CJournalFile&) = delete;

    // Creates the file, which must not exist yet.
    bool Create(const WString& strPath, std::string& strError);
    // Takes over a file left behind; false, with bInUse, while its writer holds it.
    bool Adopt(const WString& strPath, bool& bInUse, std::string& strError);
    // bFlush: on the disk before it returns, so that a power cut keeps it.
    // strError: the system's words for what went wrong.
    bool Append(const std::string& strLine, bool bFlush, std::string& strError);
    bool ReadAll(std::string& strData, std::string& strError);
    // Closes the file and deletes it.
    bool Remove(std::string& strError);
    void Close();
    bool IsOpen() const;
    const WString& GetPath() const { return m_strPath; }
    // The two trade files, each still held: a file taken over changes hands
    // without a moment in which another program could take it.
    void Swap(CJournalFile& other) noexcept;

private:
#if defined(_WIN32)
    void* m_hFile = nullptr;
#else
    int m_fd = -1;
#endif
    WString m_strPath;
};

// Tests stand in for a full disk, or for a program killed at a write: the
// hook is asked before each change of a journal ("create", "append",
// "remove") and gives the system's error code to fail it with, 0 to let it
// go on. The program sets none.
typedef std::function<unsigned long(const char* pszStep)> FnJournalFault;
void SetJournalFaultHook(FnJournalFault fnHook);

// The files of the folder (ending in a path separator) whose names begin
// with strPrefix and end with strSuffix, as full paths.
std::vector<WString> FindFiles(const WString& strFolder, const WString& strPrefix, const WString& strSuffix);
