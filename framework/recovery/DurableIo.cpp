// Real system calls of the durability seam, and the power-cut fault.
#include "recovery/DurableIo.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

ssize_t DurableIo::WriteAt(int fd, const void* bytes, size_t count, off_t offset)
{
    return pwrite(fd, bytes, count, offset);
}

ssize_t DurableIo::Write(int fd, const void* bytes, size_t count)
{
    return write(fd, bytes, count);
}

int DurableIo::SyncData(int fd)
{
    return fdatasync(fd);
}

int DurableIo::Sync(int fd)
{
    return fsync(fd);
}

int DurableIo::Rename(const char* from, const char* to)
{
    return rename(from, to);
}

int DurableIo::SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const int result = fsync(fd);
    const int cause = errno;
    close(fd);
    errno = cause;
    return result;
}

namespace {

// Tracks, per open file, the size its last sync made durable; at the cut it
// cuts every file back to that size and kills the process.
class PowerCutIo : public DurableIo {
public:
    explicit PowerCutIo(double atSeconds) : m_atSeconds(atSeconds) {}

    ssize_t WriteAt(int fd, const void* bytes, size_t count, off_t offset) override
    {
        Touch(fd);
        return DurableIo::WriteAt(fd, bytes, count, offset);
    }
    ssize_t Write(int fd, const void* bytes, size_t count) override
    {
        Touch(fd);
        return DurableIo::Write(fd, bytes, count);
    }
    int SyncData(int fd) override { return Synced(fd, DurableIo::SyncData(fd)); }
    int Sync(int fd) override { return Synced(fd, DurableIo::Sync(fd)); }

    void Check(double recordedSeconds)
    {
        if (recordedSeconds < m_atSeconds)
            return;
        std::lock_guard<std::mutex> guard(m_lock);
        // Unsynced data is what a power cut loses.
        for (const auto& [fd, file] : m_durable)
            (void)ftruncate(fd, off_t(file.size));
        raise(SIGKILL);
    }

private:
    struct File {
        dev_t device = 0;
        ino_t inode = 0;
        uint64_t size = 0;
    };

    // A descriptor number reused for another file starts that file at 0.
    void Touch(int fd)
    {
        struct stat info {};
        if (fstat(fd, &info) != 0)
            return;
        std::lock_guard<std::mutex> guard(m_lock);
        File& file = m_durable[fd];
        if (file.device != info.st_dev || file.inode != info.st_ino)
            file = File{info.st_dev, info.st_ino, 0};
    }
    int Synced(int fd, int result)
    {
        struct stat info {};
        if (result == 0 && fstat(fd, &info) == 0) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_durable[fd] = File{info.st_dev, info.st_ino, uint64_t(info.st_size)};
        }
        return result;
    }

    const double m_atSeconds;
    std::mutex m_lock;
    std::map<int, File> m_durable;
};

DurableIo g_realIo;
std::atomic<DurableIo*> g_io{nullptr};
PowerCutIo* g_powerCut = nullptr;

DurableIo* DefaultIo()
{
    static DurableIo* chosen = [] {
        const char* at = std::getenv("CARTOVA_FAULT_POWER_CUT");
        if (at == nullptr || *at == '\0')
            return &g_realIo;
        g_powerCut = new PowerCutIo(std::strtod(at, nullptr));
        return static_cast<DurableIo*>(g_powerCut);
    }();
    return chosen;
}

} // namespace

DurableIo& CurrentDurableIo()
{
    DurableIo* io = g_io.load();
    return io != nullptr ? *io : *DefaultIo();
}

void SetDurableIo(DurableIo* io)
{
    g_io.store(io);
}

void PowerCutCheck(double recordedSeconds)
{
    DefaultIo();
    if (g_powerCut != nullptr)
        g_powerCut->Check(recordedSeconds);
}
