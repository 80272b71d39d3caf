// Writing, claiming and removing a recording's journal with the
// write-new/sync/rename/sync-folder discipline (see JournalFile.h).
#include "recovery/JournalFile.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Trace.h"
#include "recovery/DurableIo.h"

namespace {

const char kPrefix[] = "cartova-";
const char kSuffix[] = ".journal";

// Closes fd keeping errno.
void CloseKeepingErrno(int fd)
{
    const int cause = errno;
    close(fd);
    errno = cause;
}

bool ReadAll(int fd, std::vector<uint8_t>& bytes)
{
    struct stat info {};
    if (fstat(fd, &info) != 0)
        return false;
    bytes.resize(size_t(info.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pread(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    bytes.resize(done);
    return true;
}

// Whether fd is still the file named path (not a version renamed over since).
bool StillNamed(int fd, const std::string& path)
{
    struct stat open {};
    struct stat named {};
    return fstat(fd, &open) == 0 && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
}

// Opens and locks the file named path (a new version may take the name
// between the two: then the newer one is opened). -1 with errno: ENOENT when
// missing, EWOULDBLOCK when another holds it.
int OpenLocked(const std::string& path, int flags, int lock)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int fd = open(path.c_str(), flags | O_CLOEXEC);
        if (fd < 0)
            return -1;
        if (flock(fd, lock | LOCK_NB) != 0) {
            CloseKeepingErrno(fd);
            return -1;
        }
        if (StillNamed(fd, path))
            return fd;
        close(fd);
    }
    errno = EWOULDBLOCK;
    return -1;
}

} // namespace

std::string JournalFileName(const std::string& id)
{
    return kPrefix + id + kSuffix;
}

bool ParseJournalFileName(const std::string& name, std::string& id)
{
    const size_t prefix = sizeof kPrefix - 1;
    const size_t suffix = sizeof kSuffix - 1;
    if (name.size() <= prefix + suffix || name.compare(0, prefix, kPrefix) != 0 ||
        name.compare(name.size() - suffix, suffix, kSuffix) != 0)
        return false;
    id = name.substr(prefix, name.size() - prefix - suffix);
    return id.find('/') == std::string::npos;
}

JournalFile::~JournalFile()
{
    Close();
}

JournalFile& JournalFile::operator=(JournalFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_folder = std::move(other.m_folder);
        m_id = std::move(other.m_id);
        m_fd = std::exchange(other.m_fd, -1);
        other.m_folder.clear();
        other.m_id.clear();
    }
    return *this;
}

std::string JournalFile::Path() const
{
    return m_folder + "/" + JournalFileName(m_id);
}

bool JournalFile::Create(const std::string& folder, const JournalContents& contents)
{
    Close();
    const time_t started = time_t(contents.startedUnix);
    struct tm local {};
    localtime_r(&started, &local);
    char stamp[32];
    strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = std::string(stamp) + "-" + std::to_string(getpid());
    // Two recordings of one process in one second get a counter.
    for (int n = 0; n < 100; ++n) {
        const std::string id = n == 0 ? base : base + "-" + std::to_string(n);
        struct stat info {};
        if (lstat((folder + "/" + JournalFileName(id)).c_str(), &info) == 0)
            continue;
        m_folder = folder;
        m_id = id;
        if (Update(contents))
            return true;
        m_folder.clear();
        m_id.clear();
        return false;
    }
    errno = EEXIST;
    return false;
}

bool JournalFile::WriteVersion(const std::string& path, const JournalContents& contents)
{
    DurableIo& io = CurrentDurableIo();
    const std::vector<uint8_t> bytes = EncodeJournal(contents);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Locked before it takes the journal's name: no other program can claim it in between.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        CloseKeepingErrno(fd);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = io.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            CloseKeepingErrno(fd);
            return false;
        }
        done += size_t(n);
    }
    if (io.Sync(fd) != 0 || io.Rename(path.c_str(), Path().c_str()) != 0) {
        CloseKeepingErrno(fd);
        return false;
    }
    if (m_fd >= 0)
        close(m_fd);
    m_fd = fd;
    return io.SyncFolder(m_folder) == 0;
}

bool JournalFile::Update(const JournalContents& contents)
{
    if (m_id.empty()) {
        errno = EBADF;
        return false;
    }
    const std::string fresh = Path() + ".new";
    if (WriteVersion(fresh, contents))
        return true;
    const int cause = errno;
    TRACE("cannot update the journal %s: errno %d", Path().c_str(), cause);
    unlink(fresh.c_str());
    errno = cause;
    return false;
}

ClaimResult JournalFile::Claim(const std::string& folder, const std::string& id, JournalContents& contents,
                               JournalProblem& problem)
{
    Close();
    problem = JournalProblem::None;
    const std::string path = folder + "/" + JournalFileName(id);
    const int fd = OpenLocked(path, O_RDWR, LOCK_EX);
    if (fd < 0)
        return errno == ENOENT ? ClaimResult::Missing : ClaimResult::InUse;
    std::vector<uint8_t> bytes;
    if (!ReadAll(fd, bytes)) {
        CloseKeepingErrno(fd);
        return ClaimResult::Missing;
    }
    problem = DecodeJournal(bytes, contents);
    if (problem != JournalProblem::None) {
        close(fd);
        return ClaimResult::Refused;
    }
    m_folder = folder;
    m_id = id;
    m_fd = fd;
    return ClaimResult::Claimed;
}

bool JournalFile::Remove()
{
    if (m_fd < 0)
        return true;
    const bool removed = unlink(Path().c_str()) == 0 && CurrentDurableIo().SyncFolder(m_folder) == 0;
    const int cause = errno;
    Close();
    errno = cause;
    return removed;
}

void JournalFile::Close()
{
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
    m_folder.clear();
    m_id.clear();
}

bool PeekJournal(const std::string& path, JournalContents& contents, JournalProblem& problem, bool& inUse)
{
    inUse = false;
    problem = JournalProblem::None;
    const int fd = OpenLocked(path, O_RDONLY, LOCK_SH);
    if (fd < 0) {
        inUse = errno == EWOULDBLOCK;
        return false;
    }
    std::vector<uint8_t> bytes;
    const bool read = ReadAll(fd, bytes);
    close(fd);
    if (!read)
        return false;
    problem = DecodeJournal(bytes, contents);
    return problem == JournalProblem::None;
}
