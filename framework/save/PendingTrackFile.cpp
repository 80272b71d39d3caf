// The temporary track file and its rename; see PendingTrackFile.h.
#include "save/PendingTrackFile.h"

#include "platform/Trace.h"
#include "save/SaveVolumeChecks.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Tries of a new temporary name when one is taken.
constexpr int kNameTries = 100;
// The final name's part of the temporary name is cut to this many bytes, so
// that the whole stays within the 255 bytes a file name may have.
constexpr size_t kNameStemBytes = 200;

std::atomic<unsigned> nameCounter{0};

// The first bytes of name, at most limit, not cutting a UTF-8 character.
std::string Stem(const std::string& name, size_t limit) {
    if (name.size() <= limit) return name;
    size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

// The hidden temporary name of finalPath begins with this: "<dir>.<name stem>.".
std::string TemporaryPrefix(const std::string& finalPath) {
    const std::string dir = DirectoryPart(finalPath);
    return "." + Stem(finalPath.substr(dir.size()), kNameStemBytes) + ".";
}

std::string TemporaryName(const std::string& finalPath) {
    return DirectoryPart(finalPath) + TemporaryPrefix(finalPath) + std::to_string(getpid()) + "-" +
           std::to_string(nameCounter++) + ".part";
}

// The writer's process of a temporary name of finalPath ("<prefix><pid>-<n>.part"),
// or 0 when entry is not one.
pid_t TemporaryWriter(const std::string& entry, const std::string& prefix) {
    if (entry.size() <= prefix.size() + 5 || entry.compare(0, prefix.size(), prefix) != 0 ||
        entry.compare(entry.size() - 5, 5, ".part") != 0)
        return 0;
    const std::string rest = entry.substr(prefix.size(), entry.size() - prefix.size() - 5);
    const size_t dash = rest.find('-');
    if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() ||
        rest.find_first_not_of("0123456789-") != std::string::npos || rest.find('-', dash + 1) != std::string::npos)
        return 0;
    return static_cast<pid_t>(std::strtol(rest.c_str(), nullptr, 10));
}

// Removes the temporary files of finalPath left by writers that died before
// completing them (a kill, a crash, a power cut). A writer that still runs,
// or whose state cannot be told, keeps its file.
void RemoveAbandonedTemporaries(const std::string& finalPath) {
    const std::string dir = DirectoryPart(finalPath);
    const std::string prefix = TemporaryPrefix(finalPath);
    DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
    if (folder == nullptr) return;
    while (const dirent* entry = readdir(folder)) {
        const pid_t writer = TemporaryWriter(entry->d_name, prefix);
        if (writer > 0 && writer != getpid() && kill(writer, 0) != 0 && errno == ESRCH)
            unlink((dir + entry->d_name).c_str());
    }
    closedir(folder);
}

} // namespace

PendingTrackFile::~PendingTrackFile() { Discard(); }

bool PendingTrackFile::Create(const std::string& finalPath, size_t bufferBytes) {
    Discard();
    m_error = 0;
    m_finalPath = finalPath;
    int fd = -1;
    struct stat existing {};
    m_inPlace = stat(finalPath.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode);
    if (m_inPlace) {
        fd = open(finalPath.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) {
            m_error = errno;
            return false;
        }
    }
    for (int i = 0; i < kNameTries && fd < 0; ++i) {
        m_temporaryPath = TemporaryName(finalPath);
        // Mode 0666 as fopen gives, so the finished file has the user's usual permissions.
        fd = open(m_temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        m_error = errno;
        TRACE("cannot create %s: %d", m_temporaryPath.c_str(), m_error);
        m_temporaryPath.clear();
        return false;
    }
    m_file = fdopen(fd, "wb");
    if (m_file == nullptr) {
        m_error = errno;
        close(fd);
        unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
        return false;
    }
    m_buffer.resize(bufferBytes);
    setvbuf(m_file, m_buffer.data(), _IOFBF, m_buffer.size());
    return true;
}

bool PendingTrackFile::Fail() {
    if (m_error == 0) m_error = errno != 0 ? errno : EIO;
    return false;
}

bool PendingTrackFile::Write(const void* bytes, size_t count) {
    errno = 0;
    return fwrite(bytes, 1, count, m_file) == count || Fail();
}

bool PendingTrackFile::Seek(uint64_t offset) {
    errno = 0;
    return fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0 || Fail();
}

bool PendingTrackFile::Tell(uint64_t& offset) {
    errno = 0;
    const off_t at = ftello(m_file);
    if (at < 0) return Fail();
    offset = static_cast<uint64_t>(at);
    return true;
}

bool PendingTrackFile::Commit() {
    if (m_file == nullptr) return false;
    errno = 0;
    const bool synced = fflush(m_file) == 0 && (m_inPlace || fsync(fileno(m_file)) == 0);
    if (!synced) Fail();
    const bool closed = fclose(m_file) == 0 && synced;
    m_file = nullptr;
    if (m_inPlace) {
        if (!closed) Fail();
        return closed;
    }
    if (!closed || rename(m_temporaryPath.c_str(), m_finalPath.c_str()) != 0) {
        Fail();
        TRACE("cannot complete %s: %d", m_finalPath.c_str(), m_error);
        Discard();
        return false;
    }
    m_temporaryPath.clear();
    RemoveAbandonedTemporaries(m_finalPath);
    return true;
}

void PendingTrackFile::Discard() {
    if (m_file != nullptr) {
        fclose(m_file);
        m_file = nullptr;
    }
    if (!m_temporaryPath.empty()) {
        unlink(m_temporaryPath.c_str());
        m_temporaryPath.clear();
    }
}
