#include "base/JournalFile.h"

#include <utility>

#if defined(_WIN32)
#include <windows.h>

#include "base/Util.h"
#else
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

#include "base/FileError.h"

namespace {

FnJournalFault g_fnFault;

unsigned long InjectedFault(const char* pszStep)
{
    return g_fnFault ? g_fnFault(pszStep) : 0;
}

bool EndsWith(const WString& str, const WString& strEnd)
{
    return str.size() >= strEnd.size() && str.compare(str.size() - strEnd.size(), strEnd.size(), strEnd) == 0;
}

#if defined(_WIN32)

// Read by others, never written or deleted by them while it is held.
HANDLE OpenHeld(const WString& strPath, DWORD dwDisposition)
{
    return CreateFileW(strPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, dwDisposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

#else


#endif

} // namespace

void SetJournalFaultHook(FnJournalFault fnHook)
{
    g_fnFault = std::move(fnHook);
}

#if defined(_WIN32)

bool CJournalFile::Create(const WString& strPath, std::string& strError)
{
    Close();
    if (const unsigned long dwError = InjectedFault("create")) {
        strError = FileErrorText("cannot create the file", dwError);
        return false;
    }
    const HANDLE hFile = OpenHeld(strPath, CREATE_NEW);
    if (hFile == INVALID_HANDLE_VALUE) {
        strError = FileErrorText("cannot create the file", GetLastError());
        return false;
    }
    m_hFile = hFile;
    m_strPath = strPath;
    return true;
}

bool CJournalFile::Adopt(const WString& strPath, bool& bInUse, std::string& strError)
{
    Close();
    const HANDLE hFile = OpenHeld(strPath, OPEN_EXISTING);
    bInUse = hFile == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    if (hFile == INVALID_HANDLE_VALUE) {
        strError = FileErrorText("cannot open the file", GetLastError());
        return false;
    }
    m_hFile = hFile;
    m_strPath = strPath;
    return true;
}

bool CJournalFile::Append(const std::string& strLine, bool bFlush, std::string& strError)
{
    if (const unsigned long dwError = InjectedFault("append")) {
        strError = SystemErrorText(dwError);
        return false;
    }
    const std::string strData = strLine + "\n";
    LARGE_INTEGER end = {};
    DWORD dwWritten = 0;
    if (!SetFilePointerEx(m_hFile, end, nullptr, FILE_END) ||
        !WriteFile(m_hFile, strData.data(), static_cast<DWORD>(strData.size()), &dwWritten, nullptr) ||
        dwWritten != strData.size()) {
        strError = SystemErrorText(GetLastError());
        return false;
    }
    if (bFlush && !FlushFileBuffers(m_hFile)) {
        strError = SystemErrorText(GetLastError());
        return false;
    }
    return true;
}

bool CJournalFile::ReadAll(std::string& strData, std::string& strError)
{
    strData.clear();
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(m_hFile, start, nullptr, FILE_BEGIN)) {
        strError = FileErrorText("cannot read the file", GetLastError());
        return false;
    }
    char buf[4096];
    DWORD dwRead = 0;
    while (ReadFile(m_hFile, buf, sizeof(buf), &dwRead, nullptr) && dwRead > 0)
        strData.append(buf, dwRead);
    return true;
}

bool CJournalFile::Remove(std::string& strError)
{
    if (const unsigned long dwError = InjectedFault("remove")) {
        strError = FileErrorText("cannot delete the file", dwError);
        return false;
    }
    const WString strPath = m_strPath;
    Close();
    if (!strPath.empty() && !DeleteFileW(strPath.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
        strError = FileErrorText("cannot delete the file", GetLastError());
        return false;
    }
    return true;
}

void CJournalFile::Close()
{
    if (m_hFile)
        CloseHandle(m_hFile);
    m_hFile = nullptr;
    m_strPath.clear();
}

bool CJournalFile::IsOpen() const
{
    return m_hFile != nullptr;
}

void CJournalFile::Swap(CJournalFile& other) noexcept
{
    std::swap(m_hFile, other.m_hFile);
    m_strPath.swap(other.m_strPath);
}

std::vector<WString> FindFiles(const WString& strFolder, const WString& strPrefix, const WString& strSuffix)
{
    std::vector<WString> files;
    WIN32_FIND_DATAW data = {};
    const HANDLE hFind = FindFirstFileW((strFolder + strPrefix + WSTR("*") + strSuffix).c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return files;
    do {
        const WString strName = data.cFileName;
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && EndsWith(strName, strSuffix))
            files.push_back(strFolder + strName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return files;
}

#else  // the host build: the same with a lock on the descriptor

bool CJournalFile::Create(const WString& strPath, std::string& strError)
{
    Close();
    if (const unsigned long nErrno = InjectedFault("create")) {
        strError = FileErrorText("cannot create the file", static_cast<int>(nErrno));
        return false;
    }
    const int fd = open(WideToUtf8(strPath).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        strError = FileErrorText("cannot create the file", errno);
        if (fd >= 0)
            close(fd);
        return false;
    }
    m_fd = fd;
    m_strPath = strPath;
    return true;
}

bool CJournalFile::Adopt(const WString& strPath, bool& bInUse, std::string& strError)
{
    Close();
    bInUse = false;
    const int fd = open(WideToUtf8(strPath).c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        strError = FileErrorText("cannot open the file", errno);
        return false;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        bInUse = errno == EWOULDBLOCK;
        strError = FileErrorText("cannot take the file", errno);
        close(fd);
        return false;
    }
    m_fd = fd;
    m_strPath = strPath;
    return true;
}

bool CJournalFile::Append(const std::string& strLine, bool bFlush, std::string& strError)
{
    if (const unsigned long nErrno = InjectedFault("append")) {
        strError = SystemErrorText(static_cast<unsigned long>(nErrno));
        return false;
    }
    const std::string strData = strLine + "\n";
    const ssize_t nWritten = lseek(m_fd, 0, SEEK_END) < 0 ? -1 : write(m_fd, strData.data(), strData.size());
    if (nWritten != static_cast<ssize_t>(strData.size())) {
        strError = SystemErrorText(nWritten < 0 ? errno : ENOSPC);  // a short write: the disk is full
        return false;
    }
    if (bFlush && fsync(m_fd) != 0) {
        strError = SystemErrorText(errno);
        return false;
    }
    return true;
}

bool CJournalFile::ReadAll(std::string& strData, std::string& strError)
{
    strData.clear();
    if (lseek(m_fd, 0, SEEK_SET) < 0) {
        strError = FileErrorText("cannot read the file", errno);
        return false;
    }
    char buf[4096];
    ssize_t n = 0;
    while ((n = read(m_fd, buf, sizeof(buf))) > 0)
        strData.append(buf, static_cast<size_t>(n));
    return true;
}

bool CJournalFile::Remove(std::string& strError)
{
    if (const unsigned long nErrno = InjectedFault("remove")) {
        strError = FileErrorText("cannot delete the file", static_cast<int>(nErrno));
        return false;
    }
    const std::string strPath = WideToUtf8(m_strPath);
    Close();
    if (!strPath.empty() && unlink(strPath.c_str()) != 0 && errno != ENOENT) {
        strError = FileErrorText("cannot delete the file", errno);
        return false;
    }
    return true;
}

void CJournalFile::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_strPath.clear();
}

bool CJournalFile::IsOpen() const
{
    return m_fd >= 0;
}

void CJournalFile::Swap(CJournalFile& other) noexcept
{
    std::swap(m_fd, other.m_fd);
    m_strPath.swap(other.m_strPath);
}

std::vector<WString> FindFiles(const WString& strFolder, const WString& strPrefix, const WString& strSuffix)
{
    std::vector<WString> files;
    DIR* pDir = opendir(WideToUtf8(strFolder).c_str());
    if (!pDir)
        return files;
    while (const dirent* pEntry = readdir(pDir)) {
        const WString strName = Utf8ToWide(pEntry->d_name);
        if (strName.compare(0, strPrefix.size(), strPrefix) == 0 && EndsWith(strName, strSuffix))
            files.push_back(strFolder + strName);
    }
    closedir(pDir);
    return files;
}

#endif
