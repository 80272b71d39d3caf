// Checks made before a track file is opened: whether the destination volume
// has room for the file, and whether its file system can hold a file of that
// size. The volume queries are injectable so that tests can pose as a full
// disk or as a FAT32, FAT12/16, HFS or UFS volume.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct SaveVolumeQueries {
    // Free bytes available to the user on the volume holding dir.
    std::function<bool(const std::string& dir, uint64_t& bytes)> freeBytesAvailable;
    // File-system name as GetVolumeInformation reports it ("FAT32", "hfs", ...).
    std::function<bool(const std::string& dir, std::string& name)> fileSystemName;
    // Total cluster count of the volume (GetDiskFreeSpace).
    std::function<bool(const std::string& dir, uint64_t& clusters)> totalClusters;

    // Queries of the real volumes through the platform helpers.
    static SaveVolumeQueries System();
};

// Everything up to and including the last "/" of path; empty when there is none.
std::string DirectoryPart(const std::string& path);

// Largest file the named file system allows, or 0 for no limit. FAT volumes
// below 4,085 clusters are FAT12.
uint64_t FileSystemFileSizeLimit(const std::string& fileSystemName, uint64_t totalClusters);

// True when the volume of path's directory has at least bytes free for the user.
bool HasDiskSpace(const SaveVolumeQueries& queries, const std::string& path, uint64_t bytes);

// True when a file of bytes bytes may be created on the volume of path's
// directory; false also when path has no "/" or the volume cannot be queried.
bool FitsFileSystem(const SaveVolumeQueries& queries, const std::string& path, uint64_t bytes);
