// Free-space and file-size-limit checks of the destination volume.
#include "save/SaveVolumeChecks.h"

#include "platform/DiskHelpers.h"

namespace {

constexpr uint64_t kFat12MaxClusters = 4085; // FAT12 below, FAT16 from here
constexpr uint64_t k32MiB = 33554432;
constexpr uint64_t k2GiB = 2147483648ULL;
constexpr uint64_t k4GiB = 4294967296ULL;
// FAT32 stores a file's size in 32 bits, so its largest file is one byte
// short of 4 GiB.
constexpr uint64_t kFat32MaxFile = k4GiB - 1;

} // namespace

SaveVolumeQueries SaveVolumeQueries::System() {
    SaveVolumeQueries q;
    q.freeBytesAvailable = [](const std::string& dir, uint64_t& bytes) {
        return GetDiskFreeSpaceEx(dir.c_str(), &bytes, nullptr, nullptr);
    };
    q.fileSystemName = [](const std::string& dir, std::string& name) {
        char buffer[64] = {};
        if (!GetVolumeInformation(dir.c_str(), nullptr, 0, nullptr, nullptr, nullptr, buffer,
                                  sizeof(buffer))) {
            return false;
        }
        name = buffer;
        return true;
    };
    q.totalClusters = [](const std::string& dir, uint64_t& clusters) {
        return GetDiskFreeSpace(dir.c_str(), nullptr, nullptr, nullptr, &clusters);
    };
    return q;
}

std::string DirectoryPart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

uint64_t FileSystemFileSizeLimit(const std::string& fileSystemName, uint64_t totalClusters) {
    if (fileSystemName == "FAT32") return kFat32MaxFile;
    if (fileSystemName == "hfs") return k2GiB;
    if (fileSystemName == "FAT") return totalClusters < kFat12MaxClusters ? k32MiB : k2GiB;
    if (fileSystemName == "ufs") return k4GiB;
    return 0;
}

bool HasDiskSpace(const SaveVolumeQueries& queries, const std::string& path, uint64_t bytes) {
    const std::string dir = DirectoryPart(path);
    if (dir.empty() || !queries.freeBytesAvailable) return false;
    uint64_t available = 0;
    if (!queries.freeBytesAvailable(dir, available)) return false;
    return available >= bytes;
}

bool FitsFileSystem(const SaveVolumeQueries& queries, const std::string& path, uint64_t bytes) {
    const std::string dir = DirectoryPart(path);
    if (dir.empty() || !queries.fileSystemName) return false;
    std::string name;
    if (!queries.fileSystemName(dir, name)) return false;
    uint64_t clusters = 0;
    if (name == "FAT") {
        if (!queries.totalClusters || !queries.totalClusters(dir, clusters)) return false;
    }
    const uint64_t limit = FileSystemFileSizeLimit(name, clusters);
    return limit == 0 || bytes <= limit;
}
