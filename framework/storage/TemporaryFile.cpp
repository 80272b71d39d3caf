// One temporary file of a recorded stream: creation from the "/tmpXXXXXX"
// template, positional appends and reads, deletion on release.
#include "storage/TemporaryFile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "engine/IToolkitManager.h"
#include "platform/Trace.h"
#include "recovery/DurableIo.h"

TemporaryFile::~TemporaryFile()
{
    Release();
}

TemporaryFile::TemporaryFile(TemporaryFile&& other) noexcept
{
    MoveFrom(other);
}

TemporaryFile& TemporaryFile::operator=(TemporaryFile&& other) noexcept
{
    if (this != &other) {
        Release();
        MoveFrom(other);
    }
    return *this;
}

void TemporaryFile::MoveFrom(TemporaryFile& other) noexcept
{
    m_path = std::move(other.m_path);
    m_fd = std::exchange(other.m_fd, -1);
    m_start = std::exchange(other.m_start, 0);
    m_end = std::exchange(other.m_end, 0);
    m_device = std::exchange(other.m_device, 0);
    m_inode = std::exchange(other.m_inode, 0);
    other.m_path.clear();
}

TkError TemporaryFile::Init(IToolkitManager* engine, uint64_t start)
{
    Release();
    if (engine == nullptr || !engine->IsTempDirectoryExists())
        return TkErrorFailed;
    const char* directory = engine->GetTempDirectory();
    if (directory == nullptr)
        return TkErrorFailed;
    std::string path;
    int fd = CreateTemporaryFile(path, directory);
    if (fd < 0) {
        const int cause = errno;
        TRACE("cannot create a temporary file in %s: errno %d", directory, cause);
        errno = cause; // the caller tells the user why
        return TkErrorFailed;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0) {
        close(fd);
        unlink(path.c_str());
        return TkErrorFailed;
    }
    m_path = std::move(path);
    m_fd = fd;
    m_start = m_end = start;
    m_device = info.st_dev;
    m_inode = info.st_ino;
    return TkErrorSuccess;
}

int TemporaryFile::CreateTemporaryFile(std::string& path, const std::string& directory)
{
    std::string name = directory + "/tmpXXXXXX";
    int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return -1;
    path = std::move(name);
    return fd;
}

TkError TemporaryFile::Add(const uint8_t* bytes, size_t count)
{
    const TkError result = Write(bytes, count);
    if (result == TkErrorSuccess)
        Advance(count);
    return result;
}

TkError TemporaryFile::Adopt(const std::string& path, uint64_t start, uint64_t length)
{
    Release();
    const int fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        const int cause = errno;
        if (fd >= 0)
            close(fd);
        errno = cause;
        return TkErrorFailed;
    }
    m_path = path;
    m_fd = fd;
    m_start = start;
    m_end = start + length;
    m_device = info.st_dev;
    m_inode = info.st_ino;
    return TkErrorSuccess;
}

TkError TemporaryFile::SyncData()
{
    if (m_fd < 0)
        return TkErrorFailed;
    return CurrentDurableIo().SyncData(m_fd) == 0 ? TkErrorSuccess : TkErrorFailed;
}

TkError TemporaryFile::WriteBeyond(uint64_t skip, const uint8_t* bytes, size_t count)
{
    if (m_fd < 0)
        return TkErrorFailed;
    DurableIo& io = CurrentDurableIo();
    const uint64_t offset = m_end - m_start + skip;
    size_t written = 0;
    while (written < count) {
        ssize_t n = io.WriteAt(m_fd, bytes + written, count - written, off_t(offset + written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that stores nothing without an error has run out of room.
            const int cause = n < 0 ? errno : ENOSPC;
            TRACE("write to %s failed: errno %d", m_path.c_str(), cause);
            errno = cause; // the caller tells the user why
            return TkErrorFailed;
        }
        written += size_t(n);
    }
    return TkErrorSuccess;
}

TkError TemporaryFile::GetData(uint64_t from, uint64_t to, uint8_t* out) const
{
    if (to <= from || from < m_start || to > m_end)
        return TkErrorInvalidArgument;
    if (m_fd < 0)
        return TkErrorFailed;
    size_t count = size_t(to - from);
    size_t done = 0;
    while (done < count) {
        ssize_t n = pread(m_fd, out + done, count - done, off_t(from - m_start + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            TRACE("read from %s failed: errno %d", m_path.c_str(), n < 0 ? errno : 0);
            return TkErrorFailed;
        }
        done += size_t(n);
    }
    return TkErrorSuccess;
}

bool TemporaryFile::GetRange(uint64_t& start, uint64_t& end) const
{
    start = m_start;
    end = m_end;
    return m_fd >= 0;
}

void TemporaryFile::Release()
{
    if (m_fd >= 0) {
        // Delete by name only while the name still refers to our file: the
        // folder may have been removed and recreated since.
        struct stat info {};
        if (!m_path.empty() && stat(m_path.c_str(), &info) == 0 && info.st_dev == m_device &&
            info.st_ino == m_inode)
            unlink(m_path.c_str());
        close(m_fd);
    }
    m_path.clear();
    m_fd = -1;
    m_start = m_end = 0;
    m_device = 0;
    m_inode = 0;
}

void TemporaryFile::Keep()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    Release();
}
