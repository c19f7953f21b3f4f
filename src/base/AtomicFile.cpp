#include "base/AtomicFile.h"

#include <atomic>

#if defined(_WIN32)
#include <windows.h>

#include "base/Raii.h"
#include "base/Util.h"
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "base/FileError.h"

namespace {

// "<path>.<process>-<n>.tmp": a name of each writer's own, so that two
// writers at once (another process, another thread) never write into one
// temporary file and put a mix of both in place.
WString TempPathOf(const WString& strPath)
{
    static std::atomic<unsigned> nWrites{0};
#if defined(_WIN32)
    const unsigned long ulProcess = GetCurrentProcessId();
#else
    const unsigned long ulProcess = static_cast<unsigned long>(getpid());
#endif
    return strPath + Utf8ToWide("." + std::to_string(ulProcess) + "-" + std::to_string(++nWrites) + ".tmp");
}

// The bytes of a read as they come, held to the limit and told to the
// progress function.
class CFileReading {
public:
    CFileReading(std::string& strData, uint64_t nMaxBytes, uint64_t nSize, const FnFileProgress& fnProgress)
        : m_strData(strData), m_nMaxBytes(nMaxBytes), m_nSize(nSize), m_fnProgress(fnProgress)
    {
    }

    bool Begin()
    {
        if (m_nSize > m_nMaxBytes)
            return Stop(EFileRead::FILE_READ_TOO_LARGE);
        m_strData.reserve(static_cast<size_t>(m_nSize));
        return !m_fnProgress || m_fnProgress(0, m_nSize) || Stop(EFileRead::FILE_READ_STOPPED);
    }
    bool Add(const char* pData, size_t nBytes)
    {
        if (m_strData.size() + nBytes > m_nMaxBytes)
            return Stop(EFileRead::FILE_READ_TOO_LARGE);
        m_strData.append(pData, nBytes);
        return !m_fnProgress || m_fnProgress(m_strData.size(), m_nSize) || Stop(EFileRead::FILE_READ_STOPPED);
    }
    EFileRead Result() const { return m_eResult; }

private:
    bool Stop(EFileRead eResult)
    {
        m_eResult = eResult;
        std::string().swap(m_strData);
        return false;
    }

    std::string& m_strData;
    const uint64_t m_nMaxBytes;
    const uint64_t m_nSize;
    const FnFileProgress& m_fnProgress;
    EFileRead m_eResult = EFileRead::FILE_READ_OK;
};

#if defined(_WIN32)

bool WriteAndFlush(const WString& strPath, const std::string& strData, std::string& strError)
{
    CFileHandle hFile(CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile) {
        strError = FileErrorText("cannot create the file", GetLastError());
        return false;
    }
    DWORD dwWritten = 0;
    if (!WriteFile(hFile, strData.data(), static_cast<DWORD>(strData.size()), &dwWritten, nullptr) ||
        dwWritten != strData.size()) {
        strError = FileErrorText("cannot write the file", GetLastError());
        return false;
    }
    if (!FlushFileBuffers(hFile)) {
        strError = FileErrorText("cannot flush the file", GetLastError());
        return false;
    }
    return true;
}

#else

bool WriteAndFlush(const std::string& strPath, const std::string& strData, std::string& strError)
{
    const int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        strError = FileErrorText("cannot create the file", errno);
        return false;
    }
    size_t nDone = 0;
    while (nDone < strData.size()) {
        const ssize_t n = write(fd, strData.data() + nDone, strData.size() - nDone);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            strError = FileErrorText("cannot write the file", errno);
            close(fd);
            return false;
        }
        nDone += static_cast<size_t>(n);
    }
    if (fsync(fd) != 0) {
        strError = FileErrorText("cannot flush the file", errno);
        close(fd);
        return false;
    }
    if (close(fd) != 0) {
        strError = FileErrorText("cannot close the file", errno);
        return false;
    }
    return true;
}

#endif

} // namespace

#if defined(_WIN32)

EFileRead ReadWholeFile(const WString& strPath, std::string& strData, std::string& strError, uint64_t nMaxBytes,
                        const FnFileProgress& fnProgress)
{
    strData.clear();
    CFileHandle hFile(CreateFileW(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile) {
        const DWORD dwError = GetLastError();
        if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND)
            return EFileRead::FILE_READ_MISSING;
        strError = FileErrorText("cannot open the file", dwError);
        return EFileRead::FILE_READ_FAILED;
    }
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(hFile, &size)) {
        strError = FileErrorText("cannot read the file's size", GetLastError());
        return EFileRead::FILE_READ_FAILED;
    }
    CFileReading reading(strData, nMaxBytes, static_cast<uint64_t>(size.QuadPart), fnProgress);
    if (!reading.Begin())
        return reading.Result();
    char buffer[65536];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr)) {
        if (dwRead == 0)
            return EFileRead::FILE_READ_OK;
        if (!reading.Add(buffer, dwRead))
            return reading.Result();
    }
    strError = FileErrorText("cannot read the file", GetLastError());
    strData.clear();
    return EFileRead::FILE_READ_FAILED;
}

bool WriteFileAtomically(const WString& strPath, const std::string& strData, std::string& strError)
{
    const WString strTemp = TempPathOf(strPath);
    if (!WriteAndFlush(strTemp, strData, strError)) {
        DeleteFileW(strTemp.c_str());
        return false;
    }
    if (!MoveFileExW(strTemp.c_str(), strPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        strError = FileErrorText("cannot replace the file", GetLastError());
        DeleteFileW(strTemp.c_str());
        return false;
    }
    return true;
}

bool RenameFileNoReplace(const WString& strFrom, const WString& strTo, bool& bTaken, std::string& strError)
{
    bTaken = false;
    if (MoveFileExW(strFrom.c_str(), strTo.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD dwError = GetLastError();
    bTaken = dwError == ERROR_ALREADY_EXISTS || dwError == ERROR_FILE_EXISTS;
    strError = FileErrorText("cannot rename the file", dwError);
    return false;
}

#else

EFileRead ReadWholeFile(const WString& strPath, std::string& strData, std::string& strError, uint64_t nMaxBytes,
                        const FnFileProgress& fnProgress)
{
    strData.clear();
    const int fd = open(WideToUtf8(strPath).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return EFileRead::FILE_READ_MISSING;
        strError = FileErrorText("cannot open the file", errno);
        return EFileRead::FILE_READ_FAILED;
    }
    struct stat st = {};
    if (fstat(fd, &st) != 0) {
        strError = FileErrorText("cannot read the file's size", errno);
        close(fd);
        return EFileRead::FILE_READ_FAILED;
    }
    CFileReading reading(strData, nMaxBytes, static_cast<uint64_t>(st.st_size), fnProgress);
    bool bGoOn = reading.Begin();
    char buffer[65536];
    while (bGoOn) {
        const ssize_t n = read(fd, buffer, sizeof(buffer));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            strError = FileErrorText("cannot read the file", errno);
            strData.clear();
            close(fd);
            return EFileRead::FILE_READ_FAILED;
        }
        if (n == 0)
            break;
        bGoOn = reading.Add(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return reading.Result();
}

bool WriteFileAtomically(const WString& strPath, const std::string& strData, std::string& strError)
{
    const std::string strFile = WideToUtf8(strPath);
    const std::string strTemp = WideToUtf8(TempPathOf(strPath));
    if (!WriteAndFlush(strTemp, strData, strError)) {
        unlink(strTemp.c_str());
        return false;
    }
    if (rename(strTemp.c_str(), strFile.c_str()) != 0) {
        strError = FileErrorText("cannot replace the file", errno);
        unlink(strTemp.c_str());
        return false;
    }
    return true;
}

bool RenameFileNoReplace(const WString& strFrom, const WString& strTo, bool& bTaken, std::string& strError)
{
    // A hard link fails when the name is taken, where rename would replace it.
    bTaken = false;
    const std::string strOld = WideToUtf8(strFrom);
    if (link(strOld.c_str(), WideToUtf8(strTo).c_str()) != 0) {
        bTaken = errno == EEXIST;
        strError = FileErrorText("cannot rename the file", errno);
        return false;
    }
    unlink(strOld.c_str());
    return true;
}

#endif
